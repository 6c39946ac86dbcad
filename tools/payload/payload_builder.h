// Assembles payloads in the package layout from item contents.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace payload {

using Bytes = std::vector<uint8_t>;

// Ways to break a payload on purpose, for tests of the checks.
enum class Fault {
  kNone,
  kMagic,        // magic is not "vtup"
  kFirstOffset,  // entry 0 is not right after the header word
  kOrder,        // two entries are not strictly increasing
  kEnd,          // entry N is not size - 4
  kTruncated,    // the file ends inside the offset table
};

// Parses a fault name ("magic", "first-offset", "order", "end", "truncated").
bool ParseFault(const std::string& name, Fault* fault);

// Magic, version byte (version + 32), count, offset table, header word, the items
// back to back, trailer. The header word and the trailer are zero. Returns an
// empty buffer when the count or the size exceeds what the layout can hold.
Bytes BuildPayload(const std::vector<Bytes>& items, int32_t version);

// Applies `fault` to a built payload. The payload needs at least two items for
// kOrder.
void ApplyFault(Fault fault, Bytes* payload);

}  // namespace payload
