package jni.com.quarvo.engine;

/**
 * One open filter list, behind a native handle. A handle from {@link #create} is passed back
 * unchanged and released with {@link #destroy}, once; no other call may use it meanwhile.
 */
public final class KivFile {
    private KivFile() {}

    /** Opens the list file at path; when it cannot be loaded the list takes fallbackType
     *  (1 black, 2 white) and starts empty, and with fallbackType 0 the answer is 0. */
    public static native long create(String path, int fallbackType);

    /** True for any non-zero handle; loads nothing. */
    public static native boolean load(long handle);

    public static native void destroy(long handle);

    /** The list's date in whole seconds since 2001-01-01 UTC; 0 for a bad handle. */
    public static native long getDate(long handle);

    public static native int getCountOfDomain(long handle);

    /** The category (0-16382) the list gives to url, or 65535 for none. Throws
     *  IllegalArgumentException "Invalid URL" or "List not loaded". */
    public static native int checkURL(long handle, String url);

    /** Whether the handle is a list with a loaded file. */
    public static native boolean isValid(long handle);
}
