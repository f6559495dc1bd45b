#include "app/NotifyRoutes.h"

#include "ui/UIControl.h"

#include <array>
#include <cstdlib>

namespace app {

namespace {
constexpr std::array<std::string_view, 5> kExactNames = {
    "profile_fun_spread_btn", "macro_inset_moveleftkey_btn", "macro_inset_moverightkey_btn",
    "macro_inset_moveupkey_btn", "macro_inset_movedownkey_btn"};
}

IndexedName SplitIndexedName(std::string_view name) {
    IndexedName out;
    const auto pos = name.rfind('_');
    if (pos == std::string_view::npos) return out;
    out.prefix = std::string(name.substr(0, pos + 1));
    out.index = std::atoi(std::string(name.substr(pos + 1)).c_str());
    out.indexed = true;
    return out;
}

bool IsExactMatchName(std::string_view name) {
    for (auto n : kExactNames)
        if (n == name) return true;
    return false;
}

bool NameMatches(std::string_view routeName, std::string_view controlName) {
    if (IsExactMatchName(routeName)) return routeName == controlName;
    return ui::EqualsNoCase(routeName, controlName);
}

void RouteTable::Add(std::string name, Action action) { named_.emplace_back(std::move(name), std::move(action)); }

void RouteTable::AddIndexed(std::string prefix, Action action) {
    indexed_.emplace_back(std::move(prefix), std::move(action));
}

void RouteTable::AddMatcher(Matcher match, Action action) {
    matchers_.emplace_back(std::move(match), std::move(action));
}

bool RouteTable::Dispatch(ui::TNotifyUI& msg) const {
    const std::string name = msg.pSender ? msg.pSender->GetName() : std::string();
    if (!indexed_.empty()) {
        const IndexedName split = SplitIndexedName(name);
        if (split.indexed) {
            for (const auto& [prefix, action] : indexed_) {
                if (ui::EqualsNoCase(prefix, split.prefix)) {
                    action(msg, split.index);
                    return true;
                }
            }
        }
    }
    for (const auto& [route, action] : named_) {
        if (NameMatches(route, name)) {
            action(msg, -1);
            return true;
        }
    }
    for (const auto& [match, action] : matchers_) {
        if (match(msg)) {
            action(msg, -1);
            return true;
        }
    }
    return false;
}

bool NotifyRoutes::Dispatch(ui::TNotifyUI& msg) const {
    auto it = tables_.find(msg.sType);
    return it != tables_.end() && it->second.Dispatch(msg);
}

} // namespace app
