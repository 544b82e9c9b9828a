package jni.com.quarvo.testing;

import java.io.ByteArrayOutputStream;
import java.io.IOException;
import java.nio.ByteBuffer;
import java.nio.ByteOrder;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.security.MessageDigest;
import java.security.NoSuchAlgorithmException;
import java.util.ArrayList;
import java.util.Arrays;
import java.util.Comparator;
import java.util.List;

/**
 * Writes list files for tests, independently of the native writer: header, bucket table and
 * records laid out from the file format alone, names keyed by the JDK's SHA-1. Tables have no
 * www part; host words and entry values are given as stored.
 */
public final class ListFileBuilder {
    public static final int NO_CATEGORY = 0x3FFF;
    public static final int HOST_ONLY = 0x4000;
    public static final int PREFIX = 0x4000;
    public static final int QUERY = 0x10000;
    public static final int FRAGMENT = 0x20000;

    private record Entry(byte[] key, int value) {}

    private record Domain(byte[] key, int plain, int secure, List<Entry> entries) {}

    private final int listType;
    private final long timestampMicros;
    private final List<Domain> domains = new ArrayList<>();

    public ListFileBuilder(int listType, long timestampMicros) {
        this.listType = listType;
        this.timestampMicros = timestampMicros;
    }

    /** A host with a plain host word only. */
    public ListFileBuilder host(String host, int plainWord) {
        return host(host, plainWord, -1);
    }

    /** A host with a plain and, when secureWord >= 0, a secure host word. */
    public ListFileBuilder host(String host, int plainWord, int secureWord) {
        domains.add(new Domain(key(host), plainWord, secureWord, new ArrayList<>()));
        return this;
    }

    /** A path entry ("a/b", "p?q", "p#f") of the host added last. */
    public ListFileBuilder path(String path, int value) {
        domains.get(domains.size() - 1).entries().add(new Entry(key(path), value));
        return this;
    }

    public Path write(Path file) throws IOException {
        Files.write(file, build());
        return file;
    }

    public byte[] build() {
        int buckets = Math.max(1, (int) ((float) domains.size() / 0.95f));
        List<Domain> ordered = new ArrayList<>(domains);
        ordered.sort(Comparator.comparingLong(d -> bucketOf(d.key(), buckets)));
        ByteArrayOutputStream area = new ByteArrayOutputStream();
        int[] table = new int[buckets];
        Arrays.fill(table, 0xFFFFFFFF);
        for (Domain domain : ordered) {
            int bucket = (int) bucketOf(domain.key(), buckets);
            if (table[bucket] == 0xFFFFFFFF) table[bucket] = area.size();
            area.writeBytes(record(domain));
        }
        ByteBuffer out = ByteBuffer.allocate(32 + 4 * buckets + area.size()).order(ByteOrder.LITTLE_ENDIAN);
        out.put("kivf".getBytes(StandardCharsets.US_ASCII)).putShort((short) 1).put((byte) listType).put((byte) 0);
        out.putLong(timestampMicros).putInt(domains.size()).putInt(buckets).putLong(0);
        for (int offset : table) out.putInt(offset);
        out.put(area.toByteArray());
        return out.array();
    }

    private static byte[] record(Domain domain) {
        List<Entry> entries = new ArrayList<>(domain.entries());
        entries.sort((a, b) -> Arrays.compareUnsigned(a.key(), b.key()));
        boolean extended = domain.secure() >= 0 || !entries.isEmpty();
        ByteBuffer out = ByteBuffer.allocate(10 + (extended ? 6 : 2) + 14 * entries.size()).order(ByteOrder.LITTLE_ENDIAN);
        out.put(domain.key());
        out.putShort((short) (domain.plain() | (extended ? 0x8000 : 0)));
        if (extended) {
            int kinds = 0;
            for (Entry e : entries) kinds |= kindOf(e.value());
            out.putShort((short) (domain.secure() >= 0 ? domain.secure() : NO_CATEGORY));
            out.putShort((short) (entries.size() | kinds << 10));
            for (Entry e : entries) out.put(e.key()).putInt(e.value());
        }
        return out.array();
    }

    private static int kindOf(int value) {
        boolean prefix = (value & PREFIX) != 0;
        if ((value & QUERY) != 0) return prefix ? 0x04 : 0x20;
        if ((value & FRAGMENT) != 0) return prefix ? 0x02 : 0x10;
        return prefix ? 0x01 : 0x08;
    }

    private static long bucketOf(byte[] key, int buckets) {
        long k = ByteBuffer.wrap(key, 0, 4).order(ByteOrder.LITTLE_ENDIAN).getInt() & 0xFFFFFFFFL;
        return k % buckets;
    }

    public static byte[] key(String name) {
        try {
            byte[] digest = MessageDigest.getInstance("SHA-1").digest(name.getBytes(StandardCharsets.UTF_8));
            return Arrays.copyOf(digest, 10);
        } catch (NoSuchAlgorithmException e) {
            throw new IllegalStateException(e);
        }
    }
}
