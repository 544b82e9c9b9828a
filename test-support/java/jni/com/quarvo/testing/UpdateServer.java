package jni.com.quarvo.testing;

import java.io.BufferedReader;
import java.io.IOException;
import java.io.InputStreamReader;
import java.net.URI;
import java.net.http.HttpClient;
import java.net.http.HttpRequest;
import java.net.http.HttpResponse;
import java.nio.charset.StandardCharsets;
import java.nio.file.Path;

/**
 * The reference update server (test-support/update-server/update_server.py) in a child
 * process, for Java tests. Its location comes from the system properties quarvo.python and
 * quarvo.updateServer, which the test runner sets.
 */
public final class UpdateServer implements AutoCloseable {
    private final Process process;
    private final int port;
    private final HttpClient http = HttpClient.newHttpClient();

    public UpdateServer(Path root) throws IOException {
        process = new ProcessBuilder(System.getProperty("quarvo.python", "python3"),
                System.getProperty("quarvo.updateServer"), "--root", root.toString(), "--port", "0")
                .redirectErrorStream(true).start();
        BufferedReader out = new BufferedReader(new InputStreamReader(process.getInputStream(), StandardCharsets.UTF_8));
        String line = out.readLine();
        if (line == null || !line.startsWith("listening on ")) {
            process.destroyForcibly();
            throw new IOException("the update server did not start: " + line);
        }
        port = Integer.parseInt(line.substring("listening on ".length()).trim());
    }

    public String updateUrl() {
        return "http://127.0.0.1:" + port + "/update/kiv.php";
    }

    /** Sets the misbehaviour mode (a JSON object) and forgets earlier requests. */
    public void setMode(String json) throws IOException, InterruptedException {
        call("/control", json);
    }

    /** The POST bodies received since the last setMode, as a JSON list. */
    public String requests() throws IOException, InterruptedException {
        return call("/requests", null);
    }

    /** A JSON string holding arbitrary bytes (read by the server as latin-1). */
    public static String jsonBytes(byte[] bytes) {
        StringBuilder out = new StringBuilder("\"");
        for (byte b : bytes) out.append(String.format("\\u%04x", b & 0xFF));
        return out.append('"').toString();
    }

    private String call(String path, String body) throws IOException, InterruptedException {
        HttpRequest.Builder request = HttpRequest.newBuilder(URI.create("http://127.0.0.1:" + port + path));
        if (body != null) request.POST(HttpRequest.BodyPublishers.ofString(body));
        return http.send(request.build(), HttpResponse.BodyHandlers.ofString()).body();
    }

    @Override
    public void close() {
        process.destroyForcibly();
    }
}
