// The deterministic sample payload: the same bytes on every run and machine.
#pragma once

#include <cstdint>
#include <vector>

#include "payload_builder.h"

namespace payload {

constexpr uint32_t kSampleItemCount = 89;
constexpr uint32_t kSampleSize = 18338960;
constexpr uint32_t kSampleSmallestItem = 48634;
constexpr uint32_t kSampleLargestItem = 652605;
constexpr uint32_t kSampleMpegItems = 74;
constexpr uint32_t kSampleZeroTail = 8;

// The item sizes: kSampleItemCount values between the smallest and the largest
// item (both occurring), adding up to kSampleSize minus header and trailer.
std::vector<uint32_t> SampleItemSizes();

// The sample's items. kSampleMpegItems of them begin with MPEG-1 Layer III frame
// headers; every item ends with kSampleZeroTail zero bytes.
std::vector<Bytes> SampleItems();

}  // namespace payload
