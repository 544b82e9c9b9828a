package jni.com.quarvo.testsupport;

/**
 * Natives that check JNI behaviour from the native side. Each returns the checks that failed,
 * one per line, or an empty string. The same library runs in a real VM (JniFidelityTest) and in
 * the test JNI host, so the host cannot drift from the VM.
 */
public final class JniFidelity {
    private JniFidelity() {}

    /** The text every run passes in: U+0000, a supplementary character, a lone surrogate. */
    public static final String SAMPLE = "a\u0000b\uD83D\uDE00\uD800\u00E9\u20AC";

    public static native String strings(String sample);

    public static native String arrays(byte[] bytes);

    public static native String exceptions();

    public static native String collections();

    public static native String references();

    public static native String threads();
}
