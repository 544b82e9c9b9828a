// The monitor's delegate in the service: forwards each decision and report to the Java
// WindowsMessageQueue object. It runs on the queue thread, which never returns to Java, so
// each call works inside its own local frame and clears whatever exception Java left: a
// pending exception there would poison every later JNI call of the thread.
#pragma once

#include <jni.h>

#include "ApplicationMonitor.h"

class AppEventHandler : public Quarvo::ApplicationMonitor::Delegate {
 public:
  // `target` is a global reference owned by the queue; it outlives the handler.
  AppEventHandler(JNIEnv* env, jobject target) : env_(env), target_(target) {}

  // A missing or throwing callback allows the program, as the service cannot decide.
  bool shouldStartApplication(std::uint32_t processId, const char16_t* name, const char16_t* user) override;
  void didStartApplication(std::uint32_t processId, const char16_t* name, const char16_t* user) override;
  void didStopApplication(std::uint32_t processId) override;

 private:
  // A callback's method id, looked up on first use; null when the class lacks it.
  jmethodID method(jmethodID& slot, const char* name, const char* signature);
  // A Java string of a NUL-terminated text; false when it could not be made.
  bool javaString(const char16_t* text, jstring* out);

  JNIEnv* env_;
  jobject target_;
  jmethodID shouldStart_ = nullptr;
  jmethodID didStart_ = nullptr;
  jmethodID didStop_ = nullptr;
};
