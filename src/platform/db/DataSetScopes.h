#pragma once
// Scopes for walks over a data set: its controls stay quiet, and the record the user
// stood on is current again afterwards, also when the walk fails.
//
// When a walk fails and the restoring step fails as well, the walk's error is the one
// that travels on; a restoring step that fails on its own raises its error
// (rtl::CloseScope).
#include <exception>

#include "platform/db/DataSet.h"
#include "platform/rtl/UpdateScope.h"

namespace db {

class TDisableControlsScope {
public:
    explicit TDisableControlsScope(TDataSet& dataSet) : dataSet_(dataSet) { dataSet_.DisableControls(); }
    ~TDisableControlsScope() noexcept(false)
    {
        rtl::CloseScope(unwinding_, [this] { dataSet_.EnableControls(); });
    }
    TDisableControlsScope(const TDisableControlsScope&) = delete;
    TDisableControlsScope& operator=(const TDisableControlsScope&) = delete;

private:
    TDataSet& dataSet_;
    int unwinding_ = std::uncaught_exceptions();
};

// Goes back to the record that was current at construction (when it still exists),
// unless Release was called.
class TBookmarkScope {
public:
    explicit TBookmarkScope(TDataSet& dataSet) : dataSet_(dataSet), bookmark_(dataSet.GetBookmark()) {}
    ~TBookmarkScope() noexcept(false)
    {
        if (!released_) rtl::CloseScope(unwinding_, [this] { restore(); });
    }
    TBookmarkScope(const TBookmarkScope&) = delete;
    TBookmarkScope& operator=(const TBookmarkScope&) = delete;

    const TBookmark& Bookmark() const { return bookmark_; }
    // The walk's end is where the data set is to stay.
    void Release() { released_ = true; }

private:
    void restore()
    {
        if (!bookmark_.empty() && dataSet_.BookmarkValid(bookmark_)) dataSet_.GotoBookmark(bookmark_);
    }

    TDataSet& dataSet_;
    TBookmark bookmark_;
    bool released_ = false;
    int unwinding_ = std::uncaught_exceptions();
};

} // namespace db
