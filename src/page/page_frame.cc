#include "page/page_frame.h"

#include "picture/markup.h"

namespace sizgen {
namespace {

// The page's one style sheet: system fonts only, and the SVG drawn to the
// width of the window.
constexpr std::string_view kStyle = R"(
body { font: 15px/1.4 sans-serif; margin: 1em auto; max-width: 1100px; padding: 0 1em; color: #222; }
h1 { font-size: 1.5em; } h2 { font-size: 1.2em; margin-top: 1.6em; border-bottom: 1px solid #ccc; }
table { border-collapse: collapse; } td, th { padding: 1px 8px; text-align: right; }
td.name, th.name { text-align: left; } tr:nth-child(even) { background: #f4f4f4; }
pre { font: 13px/1.3 monospace; overflow-x: auto; background: #f8f8f8; padding: 0.5em; }
svg { display: block; width: 100%; height: auto; }
svg.treemap rect.array { stroke: #fff; stroke-width: 0.5; }
svg.treemap rect.array:hover { stroke: #000; stroke-width: 1.5; }
svg.treemap rect.group { fill: none; stroke: #222; stroke-width: 2; pointer-events: none; }
svg.treemap text.group { font: bold 12px sans-serif; fill: #111; pointer-events: none; }
svg.chart .axis { stroke: #444; font: 11px sans-serif; fill: #444; stroke-width: 1; }
svg.chart text.axis { stroke: none; }
svg.chart .grid { stroke: #e4e4e4; }
svg.chart .curve { fill: none; stroke: #3060c0; stroke-width: 1.5; }
svg.chart circle.point { fill: #3060c0; }
svg.chart circle.fails { fill: #c03030; }
svg.chart .deck { stroke: #e08000; stroke-dasharray: 4 3; fill: #e08000; }
svg.chart circle.deck { stroke: #fff; stroke-dasharray: none; }
svg.chart .overflow { stroke: #c03030; fill: #c03030; font: 11px sans-serif; }
svg.chart text.overflow, svg.chart text.budget { stroke: none; }
svg.chart .budget { stroke: #208040; stroke-dasharray: 6 3; fill: #208040; font: 11px sans-serif; }
svg.chart circle.fit { fill: #208040; stroke: #fff; }
ul.legend { list-style: none; padding: 0; } ul.legend li { display: inline-block; margin-right: 1.2em; }
.swatch { display: inline-block; width: 0.9em; height: 0.9em; margin-right: 0.3em; vertical-align: -0.1em; }
.grew { color: #b02020; } .shrank { color: #207020; }
details summary { cursor: pointer; }
)";

}  // namespace

std::string htmlDocument(std::string_view title, std::string_view body) {
  std::string html = "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n";
  // An empty icon, so that no browser asks for one.
  html += "<link rel=\"icon\" href=\"data:,\">\n";
  html += "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n";
  html += "<title>" + escaped(title) + "</title>\n<style>" + std::string(kStyle) + "</style>\n";
  html += "</head>\n<body>\n" + std::string(body) + "</body>\n</html>\n";
  return html;
}

}  // namespace sizgen
