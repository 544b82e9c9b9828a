package jni.com.quarvo.os.windows;

import java.util.HashSet;
import java.util.Map;

/** Browser, proxy and store-application utilities. */
public final class WinHomeUtils {
    private WinHomeUtils() {}

    public static native boolean setProxy(String httpHost, int httpPort, String httpsHost, int httpsPort);

    public static native boolean isBrowserRunning(String user, boolean flag);

    public static native HashSet<String> getFirefoxRegistryDirectories();

    public static native String getApplicationDisplayName(String path);

    public static native boolean isApplicationListingSupported();

    /** Reports each installed store application through the receiver's method of that name. */
    public native void getInstalledPackages(String methodName, Map<String, Object> extra);

    public static native boolean isPackageAvailable(String packageFamilyName);
}
