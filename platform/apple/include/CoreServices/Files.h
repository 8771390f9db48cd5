// File Manager over POSIX paths: references, forks, folders, iteration and the domain
// folders. Names are UTF-16; '/' inside a name stands for ':' and "." or ".." are refused,
// so no name leaves its folder. Any thread may call these.
#pragma once

#include <CoreFoundation/CFURL.h>
#include <MacTypes.h>

// Opaque to callers: ask FSRefMakePath for the path.
typedef struct {
  char hidden[4096];
} FSRef;

typedef struct {
  UInt16 length;
  UniChar unicode[255];
} HFSUniStr255;

typedef struct {
  UInt16 nodeFlags;
} FSCatalogInfo;

typedef UInt32 FSCatalogInfoBitmap;
typedef struct SyFSIterator* FSIterator;
typedef SInt32 FSIORefNum;
typedef UInt32 TextEncoding;
typedef UInt32 FSIteratorFlags;

enum { kFSNodeIsDirectoryMask = 0x10 };
enum { kFSCatInfoNone = 0, kFSCatInfoNodeFlags = 0x2 };
enum { kFSIterateFlat = 0 };
enum { fsRdPerm = 1, fsWrPerm = 2 };
enum { fsAtMark = 0, fsFromStart = 1 };
enum { kTextEncodingUnknown = 0xFFFF };
enum { kUserDomain = -32763, kLocalDomain = -32765 };
enum { kAudioSupportFolderType = 0x6164696F /* 'adio' */ };
enum { kDontCreateFolder = 0, kCreateFolder = 1 };

SY_BEGIN_C
SY_EXPORT OSErr FSMakeFSRefUnicode(const FSRef* parent, UniCharCount length, const UniChar* name,
                                   TextEncoding hint, FSRef* ref);
SY_EXPORT OSErr FSCreateFileUnicode(const FSRef* parent, UniCharCount length, const UniChar* name,
                                    FSCatalogInfoBitmap which, const FSCatalogInfo* info, FSRef* newRef,
                                    void* newSpec);
SY_EXPORT OSErr FSCreateDirectoryUnicode(const FSRef* parent, UniCharCount length, const UniChar* name,
                                         FSCatalogInfoBitmap which, const FSCatalogInfo* info, FSRef* newRef,
                                         void* newSpec, UInt32* newDirID);
SY_EXPORT OSErr FSDeleteObject(const FSRef* ref);
// Any output may be NULL; the name is the last path component, the parent its folder.
SY_EXPORT OSErr FSGetCatalogInfo(const FSRef* ref, FSCatalogInfoBitmap which, FSCatalogInfo* info,
                                 HFSUniStr255* outName, void* spec, FSRef* parentRef);
SY_EXPORT OSErr FSGetDataForkName(HFSUniStr255* dataForkName);
SY_EXPORT OSErr FSOpenFork(const FSRef* ref, UniCharCount forkNameLength, const UniChar* forkName,
                           SInt8 permissions, FSIORefNum* forkRef);
// A short read answers eofErr with the count read.
SY_EXPORT OSErr FSReadFork(FSIORefNum fork, UInt16 positionMode, SInt64 positionOffset, UInt32 requestCount,
                           void* buffer, UInt32* actualCount);
SY_EXPORT OSErr FSWriteFork(FSIORefNum fork, UInt16 positionMode, SInt64 positionOffset, UInt32 requestCount,
                            const void* buffer, UInt32* actualCount);
SY_EXPORT OSErr FSGetForkSize(FSIORefNum fork, SInt64* forkSize);
SY_EXPORT OSErr FSSetForkSize(FSIORefNum fork, UInt16 positionMode, SInt64 positionOffset);
SY_EXPORT OSErr FSCloseFork(FSIORefNum fork);

SY_EXPORT OSErr FSOpenIterator(const FSRef* container, FSIteratorFlags flags, FSIterator* iterator);
// errFSNoMoreItems only with *actual 0.
SY_EXPORT OSErr FSGetCatalogInfoBulk(FSIterator iterator, UInt32 maximumObjects, UInt32* actualObjects,
                                     Boolean* containerChanged, FSCatalogInfoBitmap which, FSCatalogInfo* infos,
                                     FSRef* refs, void* specs, HFSUniStr255* names);
SY_EXPORT OSErr FSCloseIterator(FSIterator iterator);

// <domain root>/Audio; the roots are set by symac_test_setDomainRoot.
SY_EXPORT OSErr FSFindFolder(SInt16 domain, OSType folderType, Boolean createFolder, FSRef* ref);
// Aliases are symbolic links: the target replaces the reference.
SY_EXPORT OSErr FSResolveAliasFileWithMountFlags(FSRef* ref, Boolean resolveChains, Boolean* isFolder,
                                                 Boolean* wasAliased, UInt32 mountFlags);
SY_EXPORT OSStatus FSRefMakePath(const FSRef* ref, UInt8* path, UInt32 maxPathSize);
SY_EXPORT OSStatus FSPathMakeRef(const UInt8* path, FSRef* ref, Boolean* isDirectory);

// False when the path does not exist.
SY_EXPORT Boolean CFURLGetFSRef(CFURLRef url, FSRef* ref);
SY_EXPORT CFURLRef CFURLCreateFromFSRef(CFAllocatorRef alloc, const FSRef* ref);
SY_END_C
