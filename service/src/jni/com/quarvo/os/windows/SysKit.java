package jni.com.quarvo.os.windows;

/** Machine identifier and well-known directories. */
public final class SysKit {
    private SysKit() {}

    /** Six bytes identifying this machine, or null. */
    public static native byte[] getSystemIdentifier();

    public static native String getTemporaryDirectory();

    public static native String getApplicationSupportDirectory();
}
