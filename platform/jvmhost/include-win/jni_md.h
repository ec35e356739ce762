/* Machine-dependent JNI types of the Windows targets, for the mingw lanes (the JDK on the
   build machine only carries the Linux variant). Values as the JNI specification fixes them. */
#ifndef KF_JNI_MD_WINDOWS_H
#define KF_JNI_MD_WINDOWS_H

#define JNIEXPORT __declspec(dllexport)
#define JNIIMPORT __declspec(dllimport)
#define JNICALL __stdcall

typedef long jint;
typedef long long jlong;
typedef signed char jbyte;

#endif
