package jni.com.quarvo.os.windows;

/**
 * A native message-queue thread that watches applications start and stop and reports
 * console-session changes. The callbacks run on the queue's own thread.
 */
public abstract class WindowsMessageQueue {
    /** Starts the queue thread; its handle, or 0. This object receives the callbacks. */
    public native long create();

    public static native void destroy(long queue);

    public static native long startApplicationMonitor(long queue);

    public static native void stopApplicationMonitor(long queue, long monitor);

    /** Closes or kills every running instance of application ("pkg:" plus a package family
     *  name, or an executable path), of user only when user is not null. Always 0. */
    public static native int terminateApplication(long unusedHandle, int unusedFlags, String application, String user);

    /** Whether the starting application may run; false terminates it. */
    public abstract boolean shouldStartApplication(long processId, String application, String user);

    public abstract void didStartApplication(long processId, String application, String user);

    public abstract void didStopApplication(long processId);

    /** The console session's user changed (null when nobody is logged on). */
    public abstract void sessionDidChange(String user);
}
