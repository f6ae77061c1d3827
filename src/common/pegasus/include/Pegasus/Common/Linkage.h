// The library is linked statically: nothing needs exporting.
#ifndef Pegasus_Common_Linkage_h
#define Pegasus_Common_Linkage_h

#ifndef PEGASUS_COMMON_LINKAGE
# define PEGASUS_COMMON_LINKAGE
#endif

// The client exceptions are built into pegasus_common too.
#ifndef PEGASUS_CLIENT_LINKAGE
# define PEGASUS_CLIENT_LINKAGE
#endif

#endif /* Pegasus_Common_Linkage_h */
