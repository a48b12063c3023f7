#include "analysis/json_result.h"

#include <cstdint>
#include <nlohmann/json.hpp>
#include <span>
#include <string_view>
#include <vector>

#include "analysis/explanation.h"
#include "analysis/json_real.h"
#include "analysis/storage.h"
#include "base/printable_text.h"
#include "model/catalog.h"
#include "sizing/late_steps.h"

namespace sizgen {
namespace {

// Keys stay in the order they are written, the order docs/json-results.md
// describes them in.
using Json = nlohmann::ordered_json;

// The name of the document and its version.  Adding a key keeps the
// version; changing or removing one bumps it.
constexpr std::string_view kSchemaName = "sizgen-result";
constexpr int kSchemaVersion = 2;

template <class T>
Json numbers(std::span<const T> values) {
  return std::vector<T>(values.begin(), values.end());
}

// The values of recorded settings, without their cards.
Json numbers(std::span<const Recorded<std::int32_t>> values) {
  return std::vector<std::int32_t>(values.begin(), values.end());
}

Json settingsJson(const DeckSettings& settings) {
  Json json;
  json["defmul"] = jsonReal(settings.DEFMUL);
  json["scaleCard"] = settings.KSCALE == 1;
  json["finmul"] = jsonReal(settings.FINMUL);
  json["lstfix"] = numbers(settings.LSTFIX.range(1, 32));
  json["scale6"] = jsonReal(settings.SCALE6);
  json["nquant"] = settings.NQUANT.value;
  json["nlists"] = settings.NLISTS;
  json["lstsup"] = numbers(settings.LSTSUP.range(1, 7));
  json["ramTables"] = settings.KRAMTB == 1;
  return json;
}

Json listsJson(const ListSizes& resolved) {
  Json lists = Json::array();
  for (std::int32_t k = 1; k <= static_cast<std::int32_t>(kLists); ++k)
    lists.push_back({{"list", k}, {"size", resolved(static_cast<std::size_t>(k))}});
  return lists;
}

Json groupJson(const RunPlan& plan, const PlannedGroup& planned) {
  const Group& group = *planned.group;
  Json json;
  json["subroutine"] = trimmedName(group.subroutine);
  json["firstRow"] = group.firstRow;
  json["lastRow"] = group.lastRow;
  json["bytes"] = groupBytes(plan, group);
  Json sizes;
  for (std::int32_t list : kListsSetBetweenGroups)
    sizes["list" + std::to_string(list)] = planned.LSTNEW(static_cast<std::size_t>(list));
  json["listSizes"] = sizes;
  return json;
}

Json arrayJson(const PlannedArray& array, const Group& group) {
  const CatalogRow& row = catalogRow(array.row);
  Json json;
  json["row"] = array.row;
  json["name"] = trimmedName(row.name);
  json["block"] = trimmedName(row.block);
  json["group"] = trimmedName(group.subroutine);
  json["list"] = array.list;
  json["type"] = declaredTypeName(array.typeCode);
  json["extent"] = array.extent;
  json["dimension"] = array.dimension;
  json["bytes"] = arrayBytes(array);
  return json;
}

Json arraysJson(const RunPlan& plan) {
  Json arrays = Json::array();
  for (const PlannedGroup& planned : plan.groups)
    for (int i = planned.group->firstRow; i <= planned.group->lastRow; ++i)
      arrays.push_back(arrayJson(plan.array(i), *planned.group));
  return arrays;
}

Json storageJson(const RunPlan& plan) {
  Json json;
  json["mtot"] = plan.MTOT;
  json["ltlabl"] = plan.LTLABL;
  json["commonBytes"] = totalBytes(plan);
  json["labcomBytes"] = labcomBytes(plan);
  return json;
}

// DIMDEF's answers: LSIZE for NCHAIN = 0, then one chain block per group
// after ROOT10.  A pair keeps both the list it stands for and the number
// DIMDEF hands out, which is 0 for list 99.
Json dimdefJson(const RunPlan& plan) {
  Json firstBlock = numbers(std::span<const std::int32_t>(plan.firstBlock));
  firstBlock.push_back(plan.LTLABL);
  Json chains = Json::array();
  for (const PlannedGroup& planned : plan.groups) {
    if (planned.group->selector == 0) continue;
    Json pairs = Json::array();
    for (const ListPair& pair : planned.pairs) {
      Json entry;
      entry["list"] = pair.list;
      entry["dimdefList"] = pair.dimdefList;
      entry["size"] = pair.size;
      pairs.push_back(entry);
    }
    Json chain;
    chain["nchain"] = planned.group->selector;
    chain["subroutine"] = trimmedName(planned.group->subroutine);
    chain["pairs"] = pairs;
    chains.push_back(chain);
  }
  Json json;
  json["firstBlock"] = firstBlock;
  json["chains"] = chains;
  return json;
}

Json debugJson(const DebugValues& values) {
  Json json;
  json["mtotBeforeModify"] = values.totalBefore;
  json["list1"] = values.list1;
  json["list7"] = values.list7;
  json["mtotAfterModify"] = values.totalAfter;
  json["list29BeforeModify"] = values.list29Before;
  json["list29AfterModify"] = values.list29After;
  return json;
}

// The deck's warnings, in the order a run prints them.
Json warningsJson(const RunPlan& plan) {
  Json warnings = Json::array();
  for (const Warning& warning : allWarnings(plan)) {
    Json json;
    json["kind"] = warningKindName(warning.kind);
    json["card"] = warning.card;
    json["firstColumn"] = warning.firstColumn;
    json["lastColumn"] = warning.lastColumn;
    json["message"] = warning.message;
    warnings.push_back(json);
  }
  return warnings;
}

std::string_view roleName(DeckCard::Role role) {
  switch (role) {
    case DeckCard::Role::Comment:
      return "comment";
    case DeckCard::Role::Keyword:
      return "keyword";
    case DeckCard::Role::ListSize:
      return "list-size";
    case DeckCard::Role::SupplementalOffsets:
      return "supplemental-offsets";
    case DeckCard::Role::AfterDeckEnd:
      return "after-deck-end";
  }
  return "";
}

// A value that may be missing: null then.
template <class T>
Json orNull(const std::optional<T>& value) {
  return value ? Json(*value) : Json(nullptr);
}

Json fieldJson(const RunPlan& plan, const DeckCard& card, const DeckField& field) {
  Json json;
  json["field"] = field.number;
  json["firstColumn"] = field.firstColumn;
  json["lastColumn"] = field.lastColumn;
  json["shift"] = field.shift;
  json["text"] = printableText(field.text);
  json["type"] = field.real ? "real" : "integer";
  json["read"] = field.read;
  const bool truncated = field.real && card.role != DeckCard::Role::Keyword;
  json["value"] = !field.read  ? Json(nullptr)
                  : field.real ? jsonReal(field.realValue)
                               : Json(field.value);
  json["truncated"] = field.read && truncated ? Json(field.value) : Json(nullptr);
  json["sets"] = field.sets ? Json(settingName(*field.sets)) : Json(nullptr);
  json["replacedBy"] = orNull(field.replacedBy);
  json["overriddenBy"] = field.overriddenBy;
  const auto result = field.sets && field.read && field.overriddenBy == 0
                          ? settingResult(plan, *field.sets)
                          : std::nullopt;
  json["list"] = result ? Json(result->list) : Json(nullptr);
  json["finalSize"] = result ? Json(result->size) : Json(nullptr);
  json["step"] = result ? Json(stepReason(*result->step)) : Json(nullptr);
  return json;
}

// Every card of the deck as the reader read it.
Json cardsJson(const RunPlan& plan, std::span<const DeckCard> cards) {
  Json all = Json::array();
  for (const DeckCard& card : cards) {
    Json json;
    json["line"] = card.line;
    json["text"] = printableText(card.text);
    json["role"] = roleName(card.role);
    json["name"] = card.name;
    json["keywordFirstColumn"] = card.keywordFirstColumn;
    json["keywordLastColumn"] = card.keywordLastColumn;
    json["firstList"] = card.firstList;
    json["commentColumn"] = card.commentColumn;
    json["blank"] = card.blank;
    json["cardSets"] = card.sets ? Json(settingName(*card.sets)) : Json(nullptr);
    json["cardOverriddenBy"] = card.overriddenBy;
    json["fields"] = Json::array();
    for (const DeckField& field : card.fields)
      json["fields"].push_back(fieldJson(plan, card, field));
    all.push_back(json);
  }
  return all;
}

}  // namespace

std::string jsonResult(const RunPlan& plan, std::span<const DeckCard> cards) {
  Json document;
  document["schema"] = kSchemaName;
  document["version"] = kSchemaVersion;
  document["settings"] = settingsJson(plan.settings);
  document["lists"] = listsJson(plan.resolved);
  document["groups"] = Json::array();
  for (const PlannedGroup& planned : plan.groups)
    document["groups"].push_back(groupJson(plan, planned));
  document["arrays"] = arraysJson(plan);
  document["storage"] = storageJson(plan);
  document["dimdef"] = dimdefJson(plan);
  document["debug"] = debugJson(plan.debug);
  document["warnings"] = warningsJson(plan);
  document["cards"] = cardsJson(plan, cards);
  return document.dump(2) + "\n";
}

}  // namespace sizgen
