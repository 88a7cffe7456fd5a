#include "support/PackageWriter.h"

#include "support/RefPackEncoder.h"

#include <stdexcept>

namespace writer {

namespace {

void msAppendInt32(std::string& out, std::uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8)
        out += static_cast<char>((value >> shift) & 0xFF);
}

std::uint32_t mfulngChecked(std::size_t value)
{
    if (value > 0x7FFFFFFF)
        throw std::invalid_argument("package too large for 32-bit offsets");
    return static_cast<std::uint32_t>(value);
}

} // namespace

std::string gfstrIdBytes(std::uint32_t value)
{
    std::string bytes;
    msAppendInt32(bytes, value);
    return bytes;
}

void gsPatchInt32(std::string& bytes, std::size_t offset, std::int32_t value)
{
    if (offset + 4 > bytes.size())
        throw std::out_of_range("patch past the end of the package");
    const std::string field = gfstrIdBytes(static_cast<std::uint32_t>(value));
    bytes.replace(offset, 4, field);
}

std::string gfstrBehaviourBody(std::string_view name, std::size_t bodySize)
{
    std::string body(name.substr(0, 64));
    body.resize(64, '\0');
    for (std::size_t i = 0; i < bodySize; ++i)
        body += static_cast<char>((i * 7 + name.size()) & 0xFF);
    return body;
}

BuiltPackage gudtBuildPackage(const PackagePlan& plan)
{
    BuiltPackage built;
    built.EntryWidth = plan.IndexMinorVersion == 2 ? 24 : 20;
    std::string& out = built.Bytes;
    out.assign(96, '\0');

    for (const Resource& resource : plan.Resources) {
        built.ResourceOffsets.push_back(out.size());
        built.StoredData.push_back(resource.Compress ? gfstrRefPackCompress(resource.Data) : resource.Data);
        out += built.StoredData.back();
    }

    built.IndexOffset = out.size();
    for (std::size_t i = 0; i < plan.Resources.size(); ++i) {
        const Resource& resource = plan.Resources[i];
        msAppendInt32(out, resource.Type);
        msAppendInt32(out, resource.Group);
        msAppendInt32(out, resource.Instance);
        if (plan.IndexMinorVersion == 2)
            msAppendInt32(out, resource.ResourceId);
        msAppendInt32(out, mfulngChecked(built.ResourceOffsets[i]));
        msAppendInt32(out, mfulngChecked(built.StoredData[i].size()));
    }

    built.HoleOffset = out.size();
    for (const auto& [offset, size] : plan.Holes) {
        msAppendInt32(out, static_cast<std::uint32_t>(offset));
        msAppendInt32(out, static_cast<std::uint32_t>(size));
    }

    std::string header;
    msAppendInt32(header, 0x46504244); // "DBPF"
    msAppendInt32(header, 1);          // major version
    msAppendInt32(header, 1);          // minor version
    for (int reserved = 0; reserved < 3; ++reserved)
        msAppendInt32(header, 0);
    msAppendInt32(header, 0);          // creation date
    msAppendInt32(header, 0);          // modification date
    msAppendInt32(header, 7);          // index major version
    msAppendInt32(header, mfulngChecked(plan.Resources.size()));
    msAppendInt32(header, mfulngChecked(built.IndexOffset));
    msAppendInt32(header, mfulngChecked(built.HoleOffset - built.IndexOffset));
    msAppendInt32(header, mfulngChecked(plan.Holes.size()));
    msAppendInt32(header, mfulngChecked(built.HoleOffset));
    msAppendInt32(header, mfulngChecked(plan.Holes.size() * 8));
    msAppendInt32(header, static_cast<std::uint32_t>(plan.IndexMinorVersion));
    header.resize(96, '\0');
    out.replace(0, 96, header);
    return built;
}

} // namespace writer
