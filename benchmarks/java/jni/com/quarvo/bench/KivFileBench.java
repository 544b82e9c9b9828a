package jni.com.quarvo.bench;

import java.nio.file.Files;
import java.nio.file.Path;
import java.util.List;
import java.util.concurrent.atomic.AtomicLong;
import jni.com.quarvo.engine.KivFile;

/**
 * URL checks per second through the KivFile natives, on one and two threads, over the list
 * and URLs that kivbench exported (benchmarks/jni-bench runs both and prints the ratio).
 *
 *   java -Djava.library.path=DIR -cp ... jni.com.quarvo.bench.KivFileBench EXPORT_DIR [SECONDS]
 */
public final class KivFileBench {
    private KivFileBench() {}

    public static void main(String[] args) throws Exception {
        System.loadLibrary("filterengine");
        Path folder = Path.of(args[0]);
        double seconds = args.length > 1 ? Double.parseDouble(args[1]) : 3.0;
        String[] urls = Files.readAllLines(folder.resolve("urls.txt")).toArray(new String[0]);
        long list = KivFile.create(folder.resolve("list.kiv").toString(), 0);
        if (list == 0) throw new IllegalStateException("list not opened");
        try {
            run(list, urls, 1, 1.0);  // warm-up: the JIT and the list's pages
            for (int threads : List.of(1, 2)) {
                double rate = run(list, urls, threads, seconds);
                System.out.printf("jni_checks_per_second threads=%d %.0f%n", threads, rate);
            }
        } finally {
            KivFile.destroy(list);
        }
    }

    private static double run(long list, String[] urls, int threads, double seconds) throws Exception {
        AtomicLong checks = new AtomicLong();
        long end = System.nanoTime() + (long) (seconds * 1e9);
        Thread[] workers = new Thread[threads];
        long start = System.nanoTime();
        for (int t = 0; t < threads; t++) {
            int first = t * urls.length / threads;
            workers[t] = new Thread(() -> {
                long done = 0;
                int u = first;
                long sink = 0;
                while ((done & 1023) != 0 || System.nanoTime() < end) {
                    sink += KivFile.checkURL(list, urls[u]);
                    if (++u == urls.length) u = 0;
                    done++;
                }
                checks.addAndGet(done + (sink == Long.MIN_VALUE ? 1 : 0));
            });
            workers[t].start();
        }
        for (Thread worker : workers) worker.join();
        return checks.get() / ((System.nanoTime() - start) / 1e9);
    }
}
