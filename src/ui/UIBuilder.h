#pragma once
// CDialogBuilder turns a skin layout into a control tree. Tags are matched without
// regard to case: built-in classes first, then the callback's CreateControl, then
// the global registry (CControlFactory::RegistControl).
#include "ui/UIBase.h"

#include <functional>
#include <map>
#include <memory>
#include <string>

namespace ui {

class CControlUI;
class CPaintManagerUI;
struct XmlNode;

class IDialogBuilderCallback {
public:
    virtual ~IDialogBuilderCallback() = default;
    // A control for a tag the builder does not know, or nullptr.
    virtual CControlUI* CreateControl(std::string_view className) = 0;
};

using ControlCreator = std::function<CControlUI*()>;

class CControlFactory {
public:
    static CControlFactory& GetInstance();
    void RegistControl(const std::string& name, ControlCreator creator);
    void UnregistControl(const std::string& name);
    // Registered (custom) classes only.
    CControlUI* CreateControl(std::string_view name) const;
    // The framework's own classes ("Button", "VerticalLayout", ...).
    static CControlUI* CreateBuiltin(std::string_view name);

private:
    std::map<std::string, ControlCreator> m_creators; // lower-case names
};

class CDialogBuilder {
public:
    // xml: a resource id from res.xml ("XML_MSG"), a file relative to the skin folder,
    // or the XML text itself (starting with '<'). Returns the root control or nullptr.
    CControlUI* Create(std::string_view xml, std::string_view type = {}, IDialogBuilderCallback* callback = nullptr,
                       CPaintManagerUI* manager = nullptr, CControlUI* parent = nullptr);
    // Builds again from the last loaded layout.
    CControlUI* Create(IDialogBuilderCallback* callback = nullptr, CPaintManagerUI* manager = nullptr,
                       CControlUI* parent = nullptr);
    const std::string& GetLastError() const { return m_error; }
    // Tags that nothing could create during the last build.
    const std::vector<std::string>& GetUnknownTags() const { return m_unknown; }

private:
    CControlUI* BuildDocument(const XmlNode& root, IDialogBuilderCallback* cb, CPaintManagerUI* manager,
                              CControlUI* parent);
    CControlUI* BuildNode(const XmlNode& node, IDialogBuilderCallback* cb, CPaintManagerUI* manager,
                          CControlUI* parent, int depth);
    std::shared_ptr<const XmlNode> m_doc;
    std::string m_error;
    std::vector<std::string> m_unknown;
};

} // namespace ui
