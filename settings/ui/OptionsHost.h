// What the options dialog needs of the main window.
#pragma once

namespace qm {

class OptionsHost {
public:
    virtual ~OptionsHost() = default;
    // The items selected in the filter explorer's two lists (-1: none).
    virtual int SelectedIdFilterRow() const = 0;
    virtual int SelectedIpFilterRow() const = 0;
    // The day's log files for the new ID list; false when the log folder
    // cannot be made (the main window then shuts down).
    virtual bool PrepareDayFilesForced() = 0;
    virtual void FillFilterExplorer() = 0;
    virtual void SetTitle() = 0;
    virtual void RepaintProcessTable() = 0;
    // OK took new options over.
    virtual void OptionsTakenOver() = 0;
};

} // namespace qm
