#pragma once

// The writers of the generated files.  Each renders a run's plan, record by
// record, on a sink; none computes a size.

#include <array>
#include <string>
#include <string_view>

#include "base/sink.h"
#include "model/run_plan.h"

namespace sizgen {

// newmods.for: the nine subroutines ROOT10 ... ROOT28, each declaring its
// group's arrays, every array in a labelled COMMON block of its own.
void writeModuleFile(const RunPlan& plan, Sink& module);

// The COMMON line of one array and, for a character array, its CHARACTER
// line.
void writeDeclaration(const PlannedArray& array, Sink& module);

// dimdef.for: the subroutine DIMDEF (LSIZE, NCHAIN), through which the
// host program learns the sizes it was generated for: with NCHAIN = 0 the
// card-settable lists and LTLABL, with a group's selector the (list
// number, size) pairs of that group's lists in order of first use.
void writeDimdefFile(const RunPlan& plan, Sink& dimdef);

// debug.lis: six list-directed lines of the storage totals around the
// modify step.
void writeDebugFile(const RunPlan& plan, Sink& debug);

// One file that a run generates: its name, the writer that renders it
// from the plan, and what --help says it holds.  dum.bin has no writer: a
// run creates it empty when it is missing and never writes it.
struct GeneratedFile {
  using Writer = void (*)(const RunPlan&, Sink&);
  static constexpr Writer kNeverWritten = nullptr;

  std::string_view name;
  Writer writer;
  std::string_view description;

  constexpr bool written() const { return writer != kNeverWritten; }
};

// The files of a run, in the order it checks them at start-up and puts
// them in place.
inline constexpr std::array<GeneratedFile, 4> kGeneratedFiles = {{
    {"newmods.for", writeModuleFile, "the nine subroutines ROOT10 ... ROOT28 declaring the arrays"},
    {"dimdef.for", writeDimdefFile, "the subroutine DIMDEF (LSIZE, NCHAIN) with the list sizes"},
    {"dum.bin", GeneratedFile::kNeverWritten, "created empty if missing, never written"},
    {"debug.lis", writeDebugFile, "six lines of storage totals"},
}};

// The text of each file of kGeneratedFiles rendered from `plan`, in the
// table's order; "" for a file never written.
using RenderedFiles = std::array<std::string, kGeneratedFiles.size()>;
RenderedFiles renderGeneratedFiles(const RunPlan& plan);

// The lines of --help that list the files, each "  NAME  DESCRIPTION" with
// the descriptions in one column: the written ones first, then the file
// never written.
std::string generatedFilesHelp();

}  // namespace sizgen
