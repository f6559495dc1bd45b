#pragma once
// Routing of control notifications by event type and control name. Routes are
// rows of tables, so every panel's issue adds its rows without touching the
// dispatcher. Names compare without regard to case, apart from a handful that
// must match exactly; indexed names ("DPI_slider_3") are split at the last "_".
#include "ui/UIBase.h"

#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace app {

struct IndexedName {
    std::string prefix;  // keeps the "_"
    int index = 0;
    bool indexed = false;
};

// "DPI_slider_3" -> {"DPI_slider_", 3, true}; "DPI_slider_x3" -> index 0; "closebtn" -> not indexed.
IndexedName SplitIndexedName(std::string_view name);

// The names that only match when spelled exactly.
bool IsExactMatchName(std::string_view name);
// routeName as a table row against a control's name.
bool NameMatches(std::string_view routeName, std::string_view controlName);

class RouteTable {
public:
    using Action = std::function<void(ui::TNotifyUI& msg, int index)>;
    using Matcher = std::function<bool(const ui::TNotifyUI& msg)>;

    // A route for one control name.
    void Add(std::string name, Action action);
    // A route for prefix + N; action gets N.
    void AddIndexed(std::string prefix, Action action);
    // A route chosen by a test on the message (e.g. the sender's identity).
    void AddMatcher(Matcher match, Action action);

    // Indexed rows first, then named rows, then matchers. True when a route ran.
    bool Dispatch(ui::TNotifyUI& msg) const;
    bool Empty() const { return named_.empty() && indexed_.empty() && matchers_.empty(); }

private:
    std::vector<std::pair<std::string, Action>> named_;
    std::vector<std::pair<std::string, Action>> indexed_;
    std::vector<std::pair<Matcher, Action>> matchers_;
};

class NotifyRoutes {
public:
    RouteTable& For(const std::string& type) { return tables_[type]; }
    // Type with no table or no matching row: false.
    bool Dispatch(ui::TNotifyUI& msg) const;

private:
    std::map<std::string, RouteTable> tables_;
};

} // namespace app
