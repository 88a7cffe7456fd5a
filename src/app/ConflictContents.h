#pragma once
// The contents behind the package entries of conflict rows. The tables keep only which
// packages hold a resource, and only rows that several entries share need their contents
// compared, so those packages are read again after the scan, each once, and each entry's
// resource is printed (package/ResourceContent.h).

#include "app/FindHacks.h"
#include "app/HackTables.h"
#include "package/ResourceContent.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// A row whose entries are wanted, and its table.
struct ContentRow {
    const TypedTable* Table;
    const HackResource* Row;
};

// Prints[r][e - 1] is what element e of row r's package list holds. It is empty where the
// package could not be read again, no longer holds the resource as often as the scan found it
// (the file changed since), or came after the byte budget ran out; Unread lists those
// packages, each once, in number order.
struct ContentPrints {
    std::vector<std::vector<std::optional<ContentPrint>>> Prints;
    std::vector<PackageNumber> Unread;
};

// How many bytes the prints of one call may hash in all, decoded bytes included. Real hack
// resources take a few kilobytes each; a package crafted to name streams that each decode to
// 16 MiB under thousands of pairs would otherwise take hours. Copies that name the same
// stored bytes of a package are printed once.
constexpr std::uint64_t kContentBudget = std::uint64_t{1} << 30;

// Reads the packages of the rows' entries again, each opened in the folder the scan found it
// in. A package that holds a row's resource more than once is entered in the row once per
// copy, in index order, so its k-th entry in the row is its k-th copy in the index. Nothing
// reaches the error trap, and the error record is left as it was.
ContentPrints gudtReadContentPrints(const std::vector<ContentRow>& rows, std::uint64_t budget = kContentBudget);
