#include "package/ResourceContent.h"

#include "package/modSimsPackage.h"

#define XXH_INLINE_ALL
#include <xxhash.h>

#include <string>

ContentPrint gudtContentPrint(std::string_view stored)
{
    const std::string bytes = gfstrDecompressFile(stored);
    const XXH128_hash_t hash = XXH3_128bits(bytes.data(), bytes.size());
    return {bytes.size(), hash.low64, hash.high64};
}
