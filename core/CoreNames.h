// Names that several subsystems agree on.
#ifndef GLYPHARA_CORE_CORENAMES_H
#define GLYPHARA_CORE_CORENAMES_H

extern const char* const kUserDefinedEffect; // "User defined"
extern const char* const kNoneEffect;        // "None"
extern const char* const kMakerWebSite;      // the maker's web site address
extern const char* const kMakerWebHost;      // the maker's web host name
extern const char* const kLoopbackHost;      // "127.0.0.1"
extern const char* const kAppVersion;        // "4.1"

#endif
