package jni.com.quarvo.engine;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertFalse;
import static org.junit.jupiter.api.Assertions.assertNotEquals;
import static org.junit.jupiter.api.Assertions.assertTrue;

import java.io.ByteArrayOutputStream;
import java.nio.ByteBuffer;
import java.nio.ByteOrder;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.ArrayList;
import java.util.List;
import java.util.concurrent.atomic.AtomicBoolean;
import java.util.concurrent.atomic.AtomicInteger;
import jni.com.quarvo.testing.ListFileBuilder;
import jni.com.quarvo.testing.UpdateServer;
import org.junit.jupiter.api.AfterEach;
import org.junit.jupiter.api.BeforeAll;
import org.junit.jupiter.api.BeforeEach;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.api.io.TempDir;

/** List updates through the KivUpdater natives, against the reference update server. */
class KivUpdaterTest {
    @TempDir Path folder;
    UpdateServer server;
    long list;
    long updater;

    @BeforeAll
    static void loadLibrary() {
        System.loadLibrary("filterengine");
    }

    @BeforeEach
    void setUp() throws Exception {
        Path device = Files.createDirectories(folder.resolve("device"));
        new ListFileBuilder(1, 100_000_000L).host("old.test", 1).write(device.resolve("list.kiv"));
        Path black = Files.createDirectories(folder.resolve("server/black/patches"));
        new ListFileBuilder(1, 200_000_000L).host("full.test", 2).write(black.getParent().resolve("list.kiv"));
        Files.write(black.resolve("200000000-300000000.kivp"), patchAdding("patched.test", 3, 300_000_000L));
        server = new UpdateServer(folder.resolve("server"));
        list = KivFile.create(device.resolve("list.kiv").toString(), 0);
        updater = KivUpdater.create(list);
        assertNotEquals(0, updater);
    }

    @AfterEach
    void tearDown() {
        KivUpdater.destroy(updater);
        KivFile.destroy(list);
        if (server != null) server.close();
    }

    /** A patch file adding one domain with a plain category. */
    static byte[] patchAdding(String host, int category, long timestampMicros) {
        ByteBuffer header = ByteBuffer.allocate(32).order(ByteOrder.LITTLE_ENDIAN);
        header.put("kivp".getBytes(StandardCharsets.US_ASCII)).putShort((short) 1).put((byte) 1).put((byte) 0);
        header.putLong(timestampMicros).putInt(1);
        ByteArrayOutputStream out = new ByteArrayOutputStream();
        out.writeBytes(header.array());
        out.writeBytes(ListFileBuilder.key(host));
        out.write(0x05);  // main host words, add
        out.write(category & 0xFF);
        out.write(category >> 8);
        out.write(0xFF);
        return out.toByteArray();
    }

    static byte[] completeListReply(byte[] listFile) {
        byte[] head = ("kivp 1,-1\npatch 900000000," + listFile.length + "\n").getBytes(StandardCharsets.US_ASCII);
        byte[] reply = new byte[head.length + listFile.length];
        System.arraycopy(head, 0, reply, 0, head.length);
        System.arraycopy(listFile, 0, reply, head.length, listFile.length);
        return reply;
    }

    @Test
    void completeListThenPatchesAndTheSecondRequestCarriesTheNewDate() throws Exception {
        assertTrue(KivUpdater.run(updater, server.updateUrl()));
        assertEquals("[\"type=black&date=100000000\", \"type=black&date=200000000\"]", server.requests());
        assertEquals(2, KivFile.checkURL(list, "http://full.test/"));
        assertEquals(3, KivFile.checkURL(list, "http://www.patched.test/"));
        assertEquals(65535, KivFile.checkURL(list, "http://old.test/"));
        assertEquals(300 - 978_307_200L, KivFile.getDate(list));
        try (var files = Files.list(folder.resolve("device"))) {
            assertEquals(1, files.count());  // no temporary file left
        }
    }

    @Test
    void hundredUpdatesWhileThreadsCheckContinuously() throws Exception {
        byte[] a = new ListFileBuilder(1, 500_000_000L).host("site.test", 1).host("old.test", 1).build();
        byte[] b = new ListFileBuilder(1, 600_000_000L).host("site.test", 2).host("old.test", 1).build();
        String modeA = "{\"reply\": " + UpdateServer.jsonBytes(completeListReply(a)) + "}";
        String modeB = "{\"reply\": " + UpdateServer.jsonBytes(completeListReply(b)) + "}";
        AtomicBoolean stop = new AtomicBoolean();
        AtomicInteger unexpected = new AtomicInteger();
        AtomicInteger checks = new AtomicInteger();
        List<Thread> checkers = new ArrayList<>();
        for (int t = 0; t < 3; t++) {
            Thread thread = new Thread(() -> {
                while (!stop.get()) {
                    int category = KivFile.checkURL(list, "https://www.old.test/page");
                    if (category != 1) unexpected.incrementAndGet();
                    checks.incrementAndGet();
                }
            });
            checkers.add(thread);
            thread.start();
        }
        int failed = 0;
        for (int i = 0; i < 100; i++) {
            server.setMode(i % 2 == 0 ? modeA : modeB);
            if (!KivUpdater.run(updater, server.updateUrl())) failed++;
        }
        stop.set(true);
        for (Thread thread : checkers) thread.join();
        assertEquals(0, failed);
        assertEquals(0, unexpected.get(), "a check failed or answered wrongly during an update");
        assertTrue(checks.get() > 0);
        assertEquals(2, KivFile.checkURL(list, "http://site.test/"));
    }

    @Test
    void abortFromAnotherThreadEndsTheRunAndEveryLaterOne() throws Exception {
        ListFileBuilder big = new ListFileBuilder(1, 200_000_000L);
        for (int i = 0; i < 3000; i++) big.host("d" + i + ".test", 5);
        big.write(folder.resolve("server/black/list.kiv"));
        server.setMode("{\"chunk\": 512, \"chunk_delay\": 0.01}");
        Thread aborter = new Thread(() -> {
            try {
                Thread.sleep(200);
            } catch (InterruptedException ignored) {
                // the abort follows regardless
            }
            KivUpdater.abort(updater);
        });
        aborter.start();
        assertFalse(KivUpdater.run(updater, server.updateUrl()));
        aborter.join();
        assertEquals(1, KivFile.checkURL(list, "http://old.test/"));
        server.setMode("{}");
        assertTrue(KivUpdater.run(updater, server.updateUrl()));
        assertEquals("[]", server.requests());
        try (var files = Files.list(folder.resolve("device"))) {
            assertEquals(1, files.count());
        }
    }

    @Test
    void badHandlesAndFailedRuns() throws Exception {
        assertFalse(KivUpdater.run(0, server.updateUrl()));
        assertFalse(KivUpdater.run(list, server.updateUrl()));  // a list is not an updater
        assertEquals(0, KivUpdater.create(0));
        KivUpdater.abort(list);  // ignored
        KivUpdater.destroy(list);  // ignored
        server.setMode("{\"status\": 500}");
        assertFalse(KivUpdater.run(updater, server.updateUrl()));
        assertEquals(1, KivFile.checkURL(list, "http://old.test/"));
    }
}
