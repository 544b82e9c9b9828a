/* Machine-dependent JNI types for Windows builds with mingw-w64. The JDK on this build machine
   ships jni.h with a Linux jni_md.h only; this one gives the Windows JDK's definitions: exported
   natives, __stdcall entry points (ignored on x64) and a 32-bit jint on both widths. */
#ifndef _JAVASOFT_JNI_MD_H_
#define _JAVASOFT_JNI_MD_H_

#define JNIEXPORT __declspec(dllexport)
#define JNIIMPORT __declspec(dllimport)
#define JNICALL __stdcall

typedef long jint;
typedef long long jlong;
typedef signed char jbyte;

#endif /* !_JAVASOFT_JNI_MD_H_ */
