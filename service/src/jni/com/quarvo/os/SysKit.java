package jni.com.quarvo.os;

/** Small operating-system services that need no Windows-specific types. */
public final class SysKit {
    private SysKit() {}

    /** Sets the owner-write bit of mode on path (clear: read-only). */
    public static native void chmod(String path, int mode);
}
