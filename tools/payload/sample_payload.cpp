#include "sample_payload.h"

#include "package/package_format.h"

namespace payload {
namespace {

// xorshift64*: small, fast and fixed, so the sample never changes.
class Generator {
 public:
  explicit Generator(uint64_t seed) : state_(seed) {}
  uint64_t Next() {
    state_ ^= state_ >> 12;
    state_ ^= state_ << 25;
    state_ ^= state_ >> 27;
    return state_ * 0x2545F4914F6CDD1Dull;
  }
  double Unit() { return static_cast<double>(Next() >> 11) / 9007199254740992.0; }

 private:
  uint64_t state_;
};

constexpr uint32_t kSmallestIndex = 17;
constexpr uint32_t kLargestIndex = 60;
// MPEG-1 Layer III, no CRC, 128 kbit/s, 44.1 kHz, joint stereo: 417-byte frames.
constexpr uint8_t kFrameHeader[4] = {0xFF, 0xFB, 0x90, 0x64};
constexpr uint32_t kFrameSize = 417;
constexpr uint8_t kPlainTag[4] = {'V', 'L', 'T', 'D'};

// Items whose index maps below the number of plain items are not audio; the
// multiplication by 7 is a permutation modulo 89, so exactly that many are plain.
bool IsMpegItem(uint32_t index) {
  return (index * 7) % kSampleItemCount >= kSampleItemCount - kSampleMpegItems;
}

}  // namespace

std::vector<uint32_t> SampleItemSizes() {
  const uint32_t items_total =
      kSampleSize - velt::PackageItemsOffset(kSampleItemCount) - velt::kPackageTrailerSize;
  const uint32_t room = kSampleLargestItem - kSampleSmallestItem;
  std::vector<uint32_t> sizes(kSampleItemCount, kSampleSmallestItem);
  sizes[kLargestIndex] = kSampleLargestItem;

  // Share what is left above the smallest size by skewed random weights.
  uint64_t extra = items_total - uint64_t{kSampleSmallestItem} * kSampleItemCount - room;
  Generator random(0x56656C74u);
  std::vector<double> weights(kSampleItemCount, 0.0);
  double weight_sum = 0;
  for (uint32_t k = 0; k < kSampleItemCount; ++k) {
    if (k == kSmallestIndex || k == kLargestIndex)
      continue;
    const double u = random.Unit();
    weights[k] = u * u * u + 0.01;
    weight_sum += weights[k];
  }
  uint64_t given = 0;
  for (uint32_t k = 0; k < kSampleItemCount; ++k) {
    uint64_t share = static_cast<uint64_t>(static_cast<double>(extra) * weights[k] / weight_sum);
    if (share > room - 1)
      share = room - 1;
    sizes[k] += static_cast<uint32_t>(share);
    given += share;
  }
  // Hand out the rounding remainder one byte at a time, in index order.
  for (uint32_t k = 0; given < extra; k = (k + 1) % kSampleItemCount) {
    if (k == kSmallestIndex || k == kLargestIndex || sizes[k] >= kSampleLargestItem - 1)
      continue;
    ++sizes[k];
    ++given;
  }
  return sizes;
}

std::vector<Bytes> SampleItems() {
  const std::vector<uint32_t> sizes = SampleItemSizes();
  Generator random(0x766C7475u);
  std::vector<Bytes> items;
  items.reserve(sizes.size());
  for (uint32_t k = 0; k < sizes.size(); ++k) {
    Bytes item(sizes[k]);
    for (uint32_t i = 0; i < item.size(); i += 8) {
      const uint64_t value = random.Next();
      for (uint32_t b = 0; b < 8 && i + b < item.size(); ++b)
        item[i + b] = uint8_t(value >> (8 * b));
    }
    const uint32_t body_end = sizes[k] - kSampleZeroTail;
    if (IsMpegItem(k)) {
      for (uint32_t at = 0; at + sizeof kFrameHeader <= body_end; at += kFrameSize) {
        for (uint32_t b = 0; b < sizeof kFrameHeader; ++b)
          item[at + b] = kFrameHeader[b];
      }
    } else {
      for (uint32_t b = 0; b < sizeof kPlainTag; ++b)
        item[b] = kPlainTag[b];
    }
    for (uint32_t i = body_end; i < sizes[k]; ++i)
      item[i] = 0;
    items.push_back(std::move(item));
  }
  return items;
}

}  // namespace payload
