#pragma once

// What the process sets up before it opens any file, so that every write
// of an output that goes wrong is a failed write, reported as one.

namespace sizgen {

// Standard output or error closed when the program starts would lend its
// descriptor to the first file opened: the listing would be written into
// newmods.for.  Holds each closed one with /dev/null, opened for reading
// so that writing it fails ("cannot write standard output": Bad file
// descriptor).  Standard input: see holdClosedStandardInput.
void holdClosedStandardOutputs();

// A write beyond the file-size limit (ulimit -f) would end the process
// with SIGXFSZ; ignored, the write fails with EFBIG ("File too large") and
// is reported like any other failed write.
void ignoreFileSizeSignal();

}  // namespace sizgen
