// The difference of two plans as one JSON document; docs/json-results.md
// describes it, key by key in this order.

#include <nlohmann/json.hpp>

#include "analysis/explanation.h"
#include "analysis/json_real.h"
#include "analysis/plan_diff.h"
#include "analysis/storage.h"
#include "model/catalog.h"

namespace sizgen {
namespace {

using Json = nlohmann::ordered_json;

// The name of the document and its version, apart from the result's.
// Adding a key keeps the version; changing or removing one bumps it.
constexpr std::string_view kSchemaName = "sizgen-diff";
constexpr int kSchemaVersion = 1;

Json optionalText(const std::optional<std::string>& text) {
  return text ? Json(*text) : Json(nullptr);
}

Json settingJson(const SettingValue& value) {
  Json json;
  if (!value.value)
    json["value"] = nullptr;
  else if (value.real)
    json["value"] = jsonReal(*value.value);
  else
    json["value"] = static_cast<std::int64_t>(*value.value);
  json["card"] = value.origin.card;
  json["place"] =
      value.origin.card != 0 ? Json(cardPlaceText(placeOf(value.origin))) : Json(nullptr);
  return json;
}

Json amountJson(const Amount& amount) {
  return {{"old", amount.before}, {"new", amount.after}, {"change", amount.change()}};
}

Json arrayJson(const ArrayChange& change) {
  const CatalogRow& row = catalogRow(change.row);
  Json json;
  json["row"] = change.row;
  json["name"] = trimmedName(row.name);
  json["block"] = trimmedName(row.block);
  json["group"] = trimmedName(groupOfRow(change.row).subroutine);
  json["list"] = change.after.list;
  json["oldType"] = declaredTypeName(change.before.typeCode);
  json["newType"] = declaredTypeName(change.after.typeCode);
  json["oldDimension"] = change.before.dimension;
  json["newDimension"] = change.after.dimension;
  json["bytes"] = amountJson({"", arrayBytes(change.before), arrayBytes(change.after)});
  return json;
}

}  // namespace

std::string diffJson(const PlanDiff& diff, std::string_view beforeName,
                     std::string_view afterName) {
  Json document;
  document["schema"] = kSchemaName;
  document["version"] = kSchemaVersion;
  document["old"] = beforeName;
  document["new"] = afterName;
  document["difference"] = !diff.none();
  document["sameFiles"] = diff.sameFiles();
  document["settings"] = Json::array();
  for (const SettingChange& change : diff.settings)
    document["settings"].push_back({{"setting", change.setting},
                                    {"old", settingJson(change.before)},
                                    {"new", settingJson(change.after)}});
  document["lists"] = Json::array();
  for (const ListChange& change : diff.lists) {
    Json json;
    json["list"] = change.list;
    json["old"] = change.before;
    json["new"] = change.after;
    json["change"] = std::int64_t{change.after} - change.before;
    json["oldSeen"] = change.beforeSeen;
    json["newSeen"] = change.afterSeen;
    json["oldStep"] = optionalText(change.beforeStep);
    json["newStep"] = optionalText(change.afterStep);
    document["lists"].push_back(json);
  }
  document["arrays"] = Json::array();
  for (const ArrayChange& change : diff.arrays) document["arrays"].push_back(arrayJson(change));
  document["groups"] = Json::array();
  for (const Amount& group : diff.groups) {
    Json json = {{"subroutine", group.name}};
    json.update(amountJson(group));
    document["groups"].push_back(json);
  }
  Json storage;
  storage["commonBytes"] = amountJson(diff.commonBytes);
  storage["ltlabl"] = amountJson(diff.ltlabl);
  storage["labcomBytes"] = amountJson(diff.labcomBytes);
  document["storage"] = storage;
  document["files"] = Json::array();
  for (const FileChange& file : diff.files) {
    Json json;
    json["file"] = file.file;
    json["identical"] = file.identical;
    json["linesRemoved"] = file.removed;
    json["linesAdded"] = file.added;
    document["files"].push_back(json);
  }
  return document.dump(2) + "\n";
}

}  // namespace sizgen
