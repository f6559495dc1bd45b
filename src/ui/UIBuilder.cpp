#include "ui/UIBuilder.h"

#include "ui/UIList.h"
#include "ui/UIManager.h"
#include "ui/UIResource.h"
#include "ui/UIXml.h"

#include <unordered_map>

namespace ui {

CControlFactory& CControlFactory::GetInstance() {
    static CControlFactory f;
    return f;
}

void CControlFactory::RegistControl(const std::string& name, ControlCreator creator) {
    m_creators[ToLower(name)] = std::move(creator);
}

void CControlFactory::UnregistControl(const std::string& name) { m_creators.erase(ToLower(name)); }

CControlUI* CControlFactory::CreateControl(std::string_view name) const {
    auto it = m_creators.find(ToLower(name));
    return it == m_creators.end() ? nullptr : it->second();
}

CControlUI* CControlFactory::CreateBuiltin(std::string_view name) {
    using Make = CControlUI* (*)();
    static const std::unordered_map<std::string, Make> table = {
        {"control", [] () -> CControlUI* { return new CControlUI; }},
        {"container", [] () -> CControlUI* { return new CContainerUI; }},
        {"verticallayout", [] () -> CControlUI* { return new CVerticalLayoutUI; }},
        {"horizontallayout", [] () -> CControlUI* { return new CHorizontalLayoutUI; }},
        {"tablayout", [] () -> CControlUI* { return new CTabLayoutUI; }},
        {"label", [] () -> CControlUI* { return new CLabelUI; }},
        {"text", [] () -> CControlUI* { return new CTextUI; }},
        {"button", [] () -> CControlUI* { return new CButtonUI; }},
        {"option", [] () -> CControlUI* { return new COptionUI; }},
        {"checkbox", [] () -> CControlUI* { return new CCheckBoxUI; }},
        {"edit", [] () -> CControlUI* { return new CEditUI; }},
        {"richedit", [] () -> CControlUI* { return new CRichEditUI; }},
        {"progress", [] () -> CControlUI* { return new CProgressUI; }},
        {"slider", [] () -> CControlUI* { return new CSliderUI; }},
        {"combo", [] () -> CControlUI* { return new CComboUI; }},
        {"list", [] () -> CControlUI* { return new CListUI; }},
        {"listlabelelement", [] () -> CControlUI* { return new CListLabelElementUI; }},
        {"listcontainerelement", [] () -> CControlUI* { return new CListContainerElementUI; }},
        {"colorpalette", [] () -> CControlUI* { return new CColorPaletteUI; }},
    };
    auto it = table.find(ToLower(name));
    return it == table.end() ? nullptr : it->second();
}

CControlUI* CDialogBuilder::Create(std::string_view xml, std::string_view, IDialogBuilderCallback* callback,
                                   CPaintManagerUI* manager, CControlUI* parent) {
    m_error.clear();
    m_unknown.clear();
    m_doc = LoadLayoutDoc(xml, &m_error);
    if (!m_doc) return nullptr;
    return BuildDocument(*m_doc, callback, manager, parent);
}

CControlUI* CDialogBuilder::Create(IDialogBuilderCallback* callback, CPaintManagerUI* manager, CControlUI* parent) {
    if (!m_doc) return nullptr;
    m_unknown.clear();
    return BuildDocument(*m_doc, callback, manager, parent);
}

CControlUI* CDialogBuilder::BuildDocument(const XmlNode& root, IDialogBuilderCallback* cb, CPaintManagerUI* manager,
                                          CControlUI* parent) {
    if (!EqualsNoCase(root.tag, "Window")) return BuildNode(root, cb, manager, parent, 0);
    if (manager)
        for (const auto& [n, v] : root.attrs) manager->SetWindowAttribute(n, v);
    CControlUI* first = nullptr;
    for (const XmlNode& child : root.children) {
        const std::string tag = ToLower(child.tag);
        if (tag == "font") {
            if (!manager) continue;
            auto flag = [&](const char* a) { const std::string* v = child.Attr(a); return v && ParseBool(*v); };
            const std::string* id = child.Attr("id");
            const std::string* name = child.Attr("name");
            const std::string* size = child.Attr("size");
            const std::string family = name ? *name : std::string();
            const int px = size ? ParseInt(*size, 15) : 15;
            if (flag("default")) manager->SetDefaultFont(family, px, flag("bold"), flag("underline"), flag("italic"), flag("shared"));
            if (id) manager->AddFont(ParseInt(*id), family, px, flag("bold"), flag("underline"), flag("italic"), flag("shared"));
        } else if (tag == "style") {
            const std::string* name = child.Attr("name");
            const std::string* value = child.Attr("value");
            const std::string* shared = child.Attr("shared");
            if (manager && name && value) manager->AddStyle(*name, *value, shared && ParseBool(*shared));
        } else if (tag == "default" || tag == "image") {
            // Accepted for compatibility with existing layouts; defaults go through styles.
        } else {
            CControlUI* c = BuildNode(child, cb, manager, parent, 0);
            if (!first) first = c;
        }
    }
    return first;
}

CControlUI* CDialogBuilder::BuildNode(const XmlNode& node, IDialogBuilderCallback* cb, CPaintManagerUI* manager,
                                      CControlUI* parent, int depth) {
    if (depth > 64) {
        m_error = "layout nested too deeply";
        return nullptr;
    }
    auto* parentBox = parent ? static_cast<CContainerUI*>(parent->GetInterface("Container")) : nullptr;
    if (EqualsNoCase(node.tag, "Include")) {
        const std::string* source = node.Attr("source");
        if (!source) return nullptr;
        const std::string* countAttr = node.Attr("count");
        const int count = countAttr ? std::max(1, ParseInt(*countAttr, 1)) : 1;
        std::string error;
        auto doc = LoadLayoutDoc(*source, &error);
        if (!doc) {
            m_error = error;
            return nullptr;
        }
        CControlUI* last = nullptr;
        for (int i = 0; i < count; ++i) {
            last = BuildDocument(*doc, cb, manager, parent);
        }
        return last;
    }
    CControlUI* control = CControlFactory::CreateBuiltin(node.tag);
    if (!control && cb) control = cb->CreateControl(node.tag);
    if (!control) control = CControlFactory::GetInstance().CreateControl(node.tag);
    if (!control) {
        m_unknown.push_back(node.tag);
        return nullptr;
    }
    if (parent && !parentBox) {
        // Only containers hold children; the skin is wrong here, drop the node.
        delete control;
        return nullptr;
    }
    if (manager) control->SetManager(manager, parent, false);
    for (const auto& [n, v] : node.attrs) control->SetAttribute(n, v);
    if (parentBox) parentBox->Add(control);
    for (const XmlNode& child : node.children) BuildNode(child, cb, manager, control, depth + 1);
    return control;
}

} // namespace ui
