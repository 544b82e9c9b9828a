package jni.com.quarvo.os.windows;

import java.util.HashMap;

/** User accounts of this machine. */
public final class WindowsUserProvider {
    private WindowsUserProvider() {}

    /** Login names to display names, or null. */
    public static native HashMap<String, String> getUserNames();

    public static native String getProfilesDirectory();
}
