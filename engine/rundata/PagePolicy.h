// What a conversion does with a listed file that gives no page.
#pragma once

namespace vorpane {

enum class TPagePolicy {
    // "Same size" leaves out a source that is no longer there or whose page
    // would have no pixels and names it in the run report's Skipped: the
    // window's way, whose list holds files seen a moment before.
    ppLeaveOut,
    // One page for every listed file, or no document: each file must be
    // readable before any is prepared, and a file that still gives no page
    // ends the run like one that can't be decoded. For scripts, where
    // success must mean that no page is missing.
    ppEveryPage,
    // Every listed file that can't be embedded or prepared for a fault of
    // its own is left out and named in the run report's Skipped with why;
    // the document holds the rest. A fault of the machine (IsMachineFault)
    // is no file's: it ends the run as with the other policies. With
    // nothing left no document is written (rcNoFiles). For scripts that
    // would rather have most pages than none.
    ppSkipBad,
};

} // namespace vorpane
