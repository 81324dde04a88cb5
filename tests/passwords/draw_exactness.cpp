// The password draws measured for exactness at full size, too slow for every test run (ctest -C
// Exactness): 10^8 numbers for each range of the table, counted in bins and judged by
// chi-square, the values themselves and their low bits for large ranges, pairs of successive
// numbers for small ones; and every group of an alphabet of 62 split at 64 bits against division.
// Prints a line for every check; fails when a statistic lies 5 standard deviations out or a
// split is wrong.
//   draw_exactness [NUMBERS]
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <vector>

#include "passwords/draw_source.h"

namespace {

// Bytes from xoshiro256**, seeded with a fixed number per range: the check is of the mapping
// from uniform bytes to numbers, and a failure can be run again.
class TStatisticalSource final : public TUnbiasedDrawSource {
public:
  explicit TStatisticalSource(std::uint64_t seed) {
    for (auto& s : state_) {
      seed += 0x9E3779B97F4A7C15ull;  // splitmix64 spreads the seed over the state
      std::uint64_t z = seed;
      z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
      z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
      s = z ^ (z >> 31);
    }
  }

protected:
  void Refill(std::span<std::uint8_t> bytes) override {
    for (std::size_t i = 0; i < bytes.size(); i += 8) {
      std::uint64_t word = Next();
      for (std::size_t k = i; k < i + 8 && k < bytes.size(); ++k, word >>= 8) bytes[k] = static_cast<std::uint8_t>(word);
    }
  }

private:
  static std::uint64_t Rotl(std::uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }
  std::uint64_t Next() {
    const std::uint64_t result = Rotl(state_[1] * 5, 7) * 9;
    const std::uint64_t t = state_[1] << 17;
    state_[2] ^= state_[0];
    state_[3] ^= state_[1];
    state_[1] ^= state_[2];
    state_[0] ^= state_[3];
    state_[2] ^= t;
    state_[3] = Rotl(state_[3], 45);
    return result;
  }
  std::uint64_t state_[4];
};

// Counts in bins against the expected share of each bin (the share of the range's values that
// fall in it); the chi-square statistic as a standard normal deviate (Wilson and Hilferty; for
// one degree of freedom its square root).
struct TBins {
  std::vector<double> share;
  std::vector<std::uint64_t> counts;

  double Deviation() const {
    std::uint64_t total = 0;
    for (const auto c : counts) total += c;
    double chi = 0;
    std::size_t used = 0;
    for (std::size_t j = 0; j < counts.size(); ++j) {
      if (share[j] == 0) continue;
      const double expected = share[j] * static_cast<double>(total);
      const double d = static_cast<double>(counts[j]) - expected;
      chi += d * d / expected;
      ++used;
    }
    const double k = static_cast<double>(used - 1);
    if (k == 1) return std::sqrt(chi);
    return (std::cbrt(chi / k) - (1 - 2 / (9 * k))) / std::sqrt(2 / (9 * k));
  }
};

// Bins for the values of a range: one a value, or for a large range 65536 by the value's top
// (v * 65536 / range) or by its low 16 bits.
enum class TView { Top, Low };
TBins ValueBins(std::uint32_t range, TView view) {
  const std::uint64_t n = range <= 65536 ? range : 65536;
  TBins bins{std::vector<double>(n), std::vector<std::uint64_t>(n)};
  for (std::uint64_t j = 0; j < n; ++j) {
    std::uint64_t values;
    if (range <= 65536) {
      values = 1;
    } else if (view == TView::Top) {
      // The v with j <= v * n / range < j + 1.
      values = ((j + 1) * range + n - 1) / n - (j * range + n - 1) / n;
    } else {
      values = (range - 1 - j) / n + 1;
    }
    bins.share[j] = static_cast<double>(values) / range;
  }
  return bins;
}
std::size_t Bin(std::uint32_t v, std::uint32_t range, TView view) {
  if (range <= 65536) return v;
  return view == TView::Top ? static_cast<std::size_t>(std::uint64_t{v} * 65536 / range) : v & 0xFFFFu;
}

bool Report(const char* what, std::uint32_t range, double deviation) {
  const bool ok = std::fabs(deviation) < 5;
  std::printf("range %10u  %-22s deviation %+6.2f  %s\n", range, what, deviation, ok ? "ok" : "FAILED");
  return ok;
}

bool CheckRange(std::uint32_t range, std::uint64_t numbers) {
  TStatisticalSource source(range);
  TBins top = ValueBins(range, TView::Top), low = ValueBins(range, TView::Low);
  const bool pairs = range <= 256 && range > 1;
  const std::size_t cells = pairs ? std::size_t{range} * range : 0;
  TBins pair_bins{std::vector<double>(cells, 1.0 / static_cast<double>(cells)), std::vector<std::uint64_t>(cells)};
  std::vector<std::uint32_t> block(4099);  // not a multiple of any group: calls leave numbers over
  bool ok = true;
  for (std::uint64_t done = 0; done < numbers;) {
    const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(block.size(), numbers - done));
    source.DrawMany(range, std::span<std::uint32_t>(block.data(), n));
    for (std::size_t i = 0; i < n; ++i) {
      if (block[i] >= range) ok = false;
      ++top.counts[Bin(block[i], range, TView::Top)];
      if (range > 65536) ++low.counts[Bin(block[i], range, TView::Low)];
    }
    if (pairs) {
      for (std::size_t i = 0; i + 1 < n; i += 2) ++pair_bins.counts[std::size_t{block[i]} * range + block[i + 1]];
    }
    done += n;
  }
  if (!ok) {
    std::printf("range %10u  a number out of the range  FAILED\n", range);
    return false;
  }
  if (range == 1) {
    std::printf("range %10u  every number 0           ok\n", range);
    return true;
  }
  ok = Report(range > 65536 ? "values, top 16 bits" : "values", range, top.Deviation()) && ok;
  if (range > 65536) ok = Report("values, low 16 bits", range, low.Deviation()) && ok;
  if (pairs) ok = Report("successive pairs", range, pair_bins.Deviation()) && ok;
  return ok;
}

// Every group of range splits into its base-range digits at 64 bits.
bool CheckEverySplit(std::uint64_t range) {
  const auto plan = TDigitPlan<std::uint64_t, 64>::For(range);
  std::uint64_t digits[TUnbiasedDrawSource::kMaxGroup];
  for (std::uint64_t value = 0; value < plan.group; ++value) {
    plan.Split(value, digits);
    std::uint64_t rest = value;
    for (unsigned i = plan.count; i-- > 0; rest /= range) {
      if (digits[i] != rest % range) {
        std::printf("range %10llu  group %llu split wrong  FAILED\n", static_cast<unsigned long long>(range),
                    static_cast<unsigned long long>(value));
        return false;
      }
    }
  }
  std::printf("range %10llu  all %llu groups of %u digits split exactly  ok\n", static_cast<unsigned long long>(range),
              static_cast<unsigned long long>(plan.group), plan.count);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  const std::uint64_t numbers = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 100'000'000;
  std::printf("%llu numbers a range\n", static_cast<unsigned long long>(numbers));
  bool ok = true;
  for (const std::uint32_t range : {1u, 2u, 3u, 10u, 26u, 62u, 63u, 94u, 95u, 255u, 256u, 257u, 1000u, 65535u, 65536u,
                                    0x7FFFFFFFu, 0x80000001u}) {
    ok = CheckRange(range, numbers) && ok;
    std::fflush(stdout);
  }
  ok = CheckEverySplit(62) && ok;
  return ok ? 0 : 1;
}
