package jni.com.quarvo.engine;

/** Keeps one open list (a {@link KivFile} handle) current from an update server. */
public final class KivUpdater {
    private KivUpdater() {}

    /** An updater for the list behind listHandle, or 0. */
    public static native long create(long listHandle);

    public static native void destroy(long handle);

    /** Posts the list's type and date to url (a built-in URL when null) and installs what
     *  comes back; true when no error occurred. Blocks for the whole transfer. */
    public static native boolean run(long handle, String url);

    /** Stops a run in progress (from any thread) and every later one. */
    public static native void abort(long handle);
}
