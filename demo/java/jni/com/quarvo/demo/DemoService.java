package jni.com.quarvo.demo;

import java.io.BufferedReader;
import java.io.InputStreamReader;
import java.nio.charset.StandardCharsets;
import java.time.Instant;
import java.util.ArrayList;
import java.util.List;
import jni.com.quarvo.engine.KivFile;
import jni.com.quarvo.engine.KivUpdater;

/**
 * A small stand-in for the policy service: loads filterengine, opens a black list, optionally
 * brings it up to date from an update server, and checks URLs.
 *
 *   java -Djava.library.path=DIR -cp ... jni.com.quarvo.demo.DemoService LIST [--update URL] [URL...]
 *
 * Without URLs on the command line it reads one URL a line from standard input.
 */
public final class DemoService {
    private static final long SECONDS_1970_TO_2001 = 978_307_200L;

    private DemoService() {}

    public static void main(String[] args) throws Exception {
        if (args.length == 0) {
            System.err.println("usage: DemoService LIST [--update URL] [URL...]");
            System.exit(2);
        }
        System.loadLibrary("filterengine");
        String listPath = args[0];
        String updateUrl = null;
        List<String> urls = new ArrayList<>();
        for (int i = 1; i < args.length; i++) {
            if (args[i].equals("--update") && i + 1 < args.length) updateUrl = args[++i];
            else urls.add(args[i]);
        }

        // Fallback type 1: a missing or unreadable file still gives a black list to update.
        long list = KivFile.create(listPath, 1);
        if (list == 0) {
            System.err.println("cannot open " + listPath);
            System.exit(1);
        }
        try {
            describe("list", list);
            if (updateUrl != null) update(list, updateUrl);
            if (urls.isEmpty()) urls = readUrls();
            for (String url : urls) System.out.println(check(list, url));
        } finally {
            KivFile.destroy(list);
        }
    }

    private static void update(long list, String url) {
        long updater = KivUpdater.create(list);
        try {
            System.out.println("updating from " + url + " ...");
            boolean ok = KivUpdater.run(updater, url);
            System.out.println(ok ? "update finished" : "update failed; the list is as it was");
            describe("list", list);
        } finally {
            KivUpdater.destroy(updater);
        }
    }

    private static void describe(String what, long list) {
        if (!KivFile.isValid(list)) {
            System.out.println(what + ": not loaded");
            return;
        }
        Instant date = Instant.ofEpochSecond(KivFile.getDate(list) + SECONDS_1970_TO_2001);
        System.out.println(what + ": " + KivFile.getCountOfDomain(list) + " domains, dated " + date);
    }

    private static String check(long list, String url) {
        try {
            int category = KivFile.checkURL(list, url);
            return String.format("%-48s %s", url, category == 65535 ? "no category" : "category " + category);
        } catch (IllegalArgumentException e) {
            return String.format("%-48s %s", url, e.getMessage());
        }
    }

    private static List<String> readUrls() throws Exception {
        List<String> urls = new ArrayList<>();
        BufferedReader in = new BufferedReader(new InputStreamReader(System.in, StandardCharsets.UTF_8));
        for (String line; (line = in.readLine()) != null; ) {
            if (!line.isBlank()) urls.add(line.trim());
        }
        return urls;
    }
}
