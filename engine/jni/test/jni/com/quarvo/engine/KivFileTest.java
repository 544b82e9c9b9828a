package jni.com.quarvo.engine;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertFalse;
import static org.junit.jupiter.api.Assertions.assertNotEquals;
import static org.junit.jupiter.api.Assertions.assertThrows;
import static org.junit.jupiter.api.Assertions.assertTrue;

import java.nio.file.Files;
import java.nio.file.Path;
import java.util.ArrayList;
import java.util.List;
import java.util.concurrent.atomic.AtomicInteger;
import jni.com.quarvo.testing.ListFileBuilder;
import org.junit.jupiter.api.AfterEach;
import org.junit.jupiter.api.BeforeAll;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.api.io.TempDir;

/** The KivFile natives in a real JVM, over list files laid out by the Java builder. */
class KivFileTest {
    static final long SECONDS_1970_TO_2001 = 978_307_200L;

    @TempDir Path folder;
    final List<Long> handles = new ArrayList<>();

    @BeforeAll
    static void loadLibrary() {
        System.loadLibrary("filterengine");
    }

    @AfterEach
    void destroyHandles() {
        handles.forEach(KivFile::destroy);
    }

    long open(Path path, int fallback) {
        long handle = KivFile.create(path.toString(), fallback);
        if (handle != 0) handles.add(handle);
        return handle;
    }

    Path sampleList() throws Exception {
        // Dated 1000.6 s after 2001-01-01 UTC, in microseconds since 1970.
        long micros = (SECONDS_1970_TO_2001 * 1000 + 1000_600) * 1000;
        return new ListFileBuilder(1, micros)
                .host("example.test", 3)
                .path("news", 7 | ListFileBuilder.PREFIX)
                .host("secure.test", 4, 9)
                .host("parent.test", 5)
                .host("only.test", 6 | ListFileBuilder.HOST_ONLY)
                .host("10.1.2.3", 8)
                .write(folder.resolve("list.kiv"));
    }

    @Test
    void answersCategoriesFromARealList() throws Exception {
        long list = open(sampleList(), 0);
        assertNotEquals(0, list);
        assertTrue(KivFile.isValid(list));
        assertEquals(5, KivFile.getCountOfDomain(list));
        assertEquals(1001, KivFile.getDate(list));
        assertEquals(7, KivFile.checkURL(list, "http://www.example.test/news/today?x=1"));
        assertEquals(3, KivFile.checkURL(list, "http://example.test/"));
        assertEquals(9, KivFile.checkURL(list, "https://secure.test/"));
        assertEquals(4, KivFile.checkURL(list, "http://secure.test/"));
        assertEquals(5, KivFile.checkURL(list, "http://a.b.parent.test/"));
        assertEquals(65535, KivFile.checkURL(list, "http://a.only.test/"));
        assertEquals(6, KivFile.checkURL(list, "http://only.test/"));
        assertEquals(8, KivFile.checkURL(list, "http://10.1.2.3/"));
        assertEquals(65535, KivFile.checkURL(list, "http://unknown.test/"));
    }

    @Test
    void invalidUrlsThrowAndAnswerNothing() throws Exception {
        long list = open(sampleList(), 0);
        IllegalArgumentException noHost = assertThrows(IllegalArgumentException.class,
                () -> KivFile.checkURL(list, "example.test/path"));
        assertEquals("Invalid URL", noHost.getMessage());
        assertEquals("Invalid URL", assertThrows(IllegalArgumentException.class,
                () -> KivFile.checkURL(list, "http://exa mple.test/")).getMessage());
        // Modified UTF-8 of a non-ASCII host is not a URI reference.
        assertEquals("Invalid URL", assertThrows(IllegalArgumentException.class,
                () -> KivFile.checkURL(list, "http://b\u00e4r.test/")).getMessage());
    }

    @Test
    void missingFileWithFallbackIsAnUnloadedList() {
        Path missing = folder.resolve("missing.kiv");
        assertEquals(0, open(missing, 0));
        for (int type : new int[] {1, 2}) {
            long list = open(missing, type);
            assertNotEquals(0, list);
            assertFalse(KivFile.isValid(list));
            assertEquals(0, KivFile.getCountOfDomain(list));
            assertEquals(-SECONDS_1970_TO_2001, KivFile.getDate(list));
            IllegalArgumentException e = assertThrows(IllegalArgumentException.class,
                    () -> KivFile.checkURL(list, "http://example.test/"));
            assertEquals("List not loaded", e.getMessage());
        }
    }

    @Test
    void nullAndForeignHandlesAreNoList() throws Exception {
        assertEquals(0, KivFile.checkURL(0, "http://example.test/"));
        assertEquals(0, KivFile.getDate(0));
        assertEquals(0, KivFile.getCountOfDomain(0));
        assertFalse(KivFile.isValid(0));
        KivFile.destroy(0);
        assertEquals(0, KivFile.create(null, 1));

        long list = open(sampleList(), 0);
        assertEquals(0, KivFile.checkURL(list, null));
        long updater = KivUpdater.create(list);
        assertNotEquals(0, updater);
        try {
            assertEquals(65535, KivFile.checkURL(updater, "http://example.test/"));
            assertEquals(0, KivFile.getDate(updater));
            assertEquals(0, KivFile.getCountOfDomain(updater));
            assertFalse(KivFile.isValid(updater));
            KivFile.destroy(updater);  // not a list: nothing happens
            assertEquals(0, KivUpdater.create(updater));
        } finally {
            KivUpdater.destroy(updater);
        }
        assertEquals(3, KivFile.checkURL(list, "http://example.test/"));
    }

    @Test
    void loadIsTrueForAnyNonZeroValue() {
        assertTrue(KivFile.load(1));
        assertTrue(KivFile.load(-42));
        assertFalse(KivFile.load(0));
    }

    @Test
    void damagedListFoundDuringACheckThrowsInsteadOfCrashing() throws Exception {
        byte[] bytes = new ListFileBuilder(1, 0).host("example.test", 3).path("a", 1).build();
        // Claim 1023 entries where there is one: the damage is met by the check.
        int entryWord = bytes.length - 14 - 2;
        bytes[entryWord] = (byte) 0xFF;
        bytes[entryWord + 1] = (byte) (bytes[entryWord + 1] | 0x03);
        Path file = Files.write(folder.resolve("damaged.kiv"), bytes);
        long list = open(file, 0);
        assertTrue(KivFile.isValid(list));
        IllegalArgumentException e = assertThrows(IllegalArgumentException.class,
                () -> KivFile.checkURL(list, "http://example.test/a"));
        assertEquals("Unexpected end of file", e.getMessage());
    }

    @Test
    void checksFromManyThreadsAgree() throws Exception {
        long list = open(sampleList(), 0);
        AtomicInteger wrong = new AtomicInteger();
        List<Thread> threads = new ArrayList<>();
        for (int t = 0; t < 4; t++) {
            Thread thread = new Thread(() -> {
                for (int i = 0; i < 5000; i++) {
                    if (KivFile.checkURL(list, "https://www.example.test/news/x") != 7) wrong.incrementAndGet();
                }
            });
            threads.add(thread);
            thread.start();
        }
        for (Thread thread : threads) thread.join();
        assertEquals(0, wrong.get());
    }
}
