#include "page/deck_page.h"

#include "analysis/deck_annotation.h"
#include "analysis/explanation.h"
#include "analysis/scale_card_values.h"
#include "analysis/storage.h"
#include "base/error.h"
#include "page/multiplier_chart.h"
#include "page/page_frame.h"
#include "page/page_sections.h"
#include "page/storage_treemap.h"
#include "picture/markup.h"

namespace sizgen {
namespace {

// What the chart shows, in words under it.
std::string chartNotes(const MultiplierChart& chart) {
  std::string html = "<ul class=\"chart-notes\">\n";
  html +=
      "<li>Each point is the deck planned with a SCALE card of that value, one point per "
      "pixel column from 0 to " +
      realText(chart.lastMultiplier) + ".</li>\n";
  html += R"(<li data-deck-multiplier=")" + realText(chart.deckMultiplier) + R"(">This deck: )" +
          (chart.deckHasScaleCard ? "SCALE " + realText(chart.deckMultiplier)
                                  : std::string("no SCALE card (as SCALE 1.0)")) +
          (chart.deckMultiplier < 0.0 ? " (negative: not on the chart)" : "") + ", " +
          escaped(bytesText(chart.deckBytes)) + ".</li>\n";
  if (!chart.overflow) {
    html += "<li>No SCALE card makes a size leave the 32-bit range.</li>\n";
  } else {
    html += R"(<li data-overflow=")" + escaped(chart.overflow->value) + R"(">From )" +
            escaped(scaleCard(*chart.overflow)) + " on" +
            (chart.overflowOnChart ? "" : ", beyond the chart,") +
            " a size leaves the 32-bit range.</li>\n";
  }
  if (chart.budget) {
    html += "<li>Budget " + escaped(bytesText(*chart.budget)) + ": ";
    if (chart.fit->largest) {
      html += R"(<code data-fit-card=")" + escaped(scaleCard(*chart.fit->largest)) + R"(">)" +
              escaped(scaleCard(*chart.fit->largest)) + "</code> gives " +
              escaped(bytesText(*chart.fit->largest->bytes)) + ", the largest within it.";
    } else {
      html += "no SCALE card with a positive value keeps the storage within it.";
    }
    html += "</li>\n";
  }
  return html + "</ul>\n";
}

}  // namespace

std::string deckPage(const DeckReading& reading, std::string_view deckName,
                     std::optional<std::int64_t> budget) {
  if (!reading.plan) throw InternalError("a page of a deck without a plan");
  const RunPlan& plan = *reading.plan;
  const std::string name = escaped(deckName);
  std::string body = "<h1>Sizing of " + name + "</h1>\n";
  body += summarySection(plan);
  body += "<h2>The ten largest arrays</h2>\n" + largestArraysSection(plan);
  body += "<h2>COMMON storage by subroutine and array</h2>\n";
  body +=
      "<p>Each box's area is the array's share of the COMMON storage; hover over a box for "
      "the array.</p>\n";
  body += typeLegend() + storageTreemap(plan, typeTint);
  body += "<h3>Arrays without storage</h3>\n" + noStorageList(plan);
  const MultiplierChart chart = multiplierChart(plan, budget);
  body += "<h2>COMMON storage against the SCALE multiplier</h2>\n";
  body += multiplierChartSvg(chart) + chartNotes(chart);
  body += "<h2>Lists</h2>\n" + listsSection(plan);
  body += "<h2>The deck, annotated</h2>\n<pre class=\"annotated\">" +
          escaped(annotateDeck(reading)) + "</pre>\n";
  return htmlDocument("sizgen: " + std::string(deckName), body);
}

}  // namespace sizgen
