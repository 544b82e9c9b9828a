package jni.com.quarvo.os.windows;

/** Registry access for the service. root is a predefined key (HKEY_LOCAL_MACHINE and so on). */
public final class RegistryUtils {
    private RegistryUtils() {}

    public static native byte[] getValue(int root, String keyPath, String valueName);

    public static native boolean setValue(int root, String keyPath, String valueName, byte[] data);

    public static native String getStringValue(int root, String keyPath, String valueName);

    public static native boolean setStringValue(int root, String keyPath, String valueName, String value);

    public static native int getIntegerValue(int root, String keyPath, String valueName);

    public static native boolean setIntegerValue(int root, String keyPath, String valueName, int value);

    public static native boolean deleteValue(int root, String keyPath, String valueName);

    public static native boolean deleteNode(int root, String keyPath);
}
