#include "sizing/storage_total.h"

#include "base/real_arithmetic.h"
#include "model/catalog.h"
#include "sizing/late_steps.h"
#include "sizing/size_sources.h"

namespace sizgen {

std::int32_t storageTotal(const DeckSettings& settings, const ListSizes& LSTNEW,
                          const ListHistory& history) {
  std::int64_t total = 0;  // at most 110 products of 32-bit sizes: exact in 64 bits
  for (int i = 1; i <= kGroups[0].lastRow; ++i) {
    const CatalogRow& row = catalogRow(i);
    if (!countsInTotal(row.list)) continue;
    total += std::int64_t{wordsPerElement(effectiveTypeCode(row))} *
             LSTNEW(static_cast<std::size_t>(row.list));
  }
  return stored(total, "the storage total MTOT",
                [&] { return totalSourceText(settings, history, LSTNEW); });
}

std::int32_t adjustedTotal(std::int32_t MTOT, const DeckSettings& settings, const ListSizes& LSTNEW,
                           const ListHistory& history) {
  const std::int64_t L1 = LSTNEW(1);
  const std::int64_t L7 = LSTNEW(7);
  const std::int64_t L15 = LSTNEW(15);
  return stored(MTOT - (L1 + L7) / 2 - (7 * L15) / 4, "LTLABL (MTOT after the modify step)",
                [&] { return totalSourceText(settings, history, LSTNEW); });
}

// cppcheck-suppress constParameter ; storeStep stores into both tables
DebugValues modifyStep(std::int32_t MTOT, const DeckSettings& settings, ListSizes& LSTNEW,
                       // cppcheck-suppress constParameter
                       ListHistory& history) {
  // The step follows ROOT10: ROOT20, the second group, is the first to
  // see what it sets.
  constexpr int kNextGroup = 1;
  DebugValues values;
  values.totalBefore = MTOT;
  values.list1 = LSTNEW(1);
  values.list7 = LSTNEW(7);
  values.totalAfter = adjustedTotal(MTOT, settings, LSTNEW, history);
  storeStep(LSTNEW, history, kSupplementalList, supplementalList(settings),
            step::FirstOffset{kSupplementalListOffset}, kNextGroup);
  values.list29Before = LSTNEW(29);
  if (settings.KRAMTB == 1) {
    storeStep(LSTNEW, history, 29, values.totalAfter, step::RamTables{}, kNextGroup);
  }
  values.list29After = LSTNEW(29);
  return values;
}

}  // namespace sizgen
