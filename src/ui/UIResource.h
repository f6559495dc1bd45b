#pragma once
// CResourceManager: the resource index ("res.xml": layout ids, images, shared styles
// and fonts) and the language text table that resource-text controls read.
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>

namespace ui {

class CControlUI;

// A window may answer text keys the language file lacks.
class IQueryControlText {
public:
    virtual ~IQueryControlText() = default;
    virtual std::optional<std::string> QueryControlText(std::string_view key, std::string_view type) = 0;
};

class CResourceManager {
public:
    static CResourceManager& GetInstance();

    // Reads the index (relative to the skin folder). False when missing or unparsable.
    bool LoadResource(const std::string& file = "res.xml");
    // The layout file behind an id such as "XML_MSG"; empty when unknown.
    std::string GetXmlPath(std::string_view id) const;
    std::string GetImagePath(std::string_view id) const;

    void SetLanguage(const std::string& name) { m_language = name; }
    const std::string& GetLanguage() const { return m_language; }
    // Replaces the text table with the file's texts. False (table unchanged) on failure.
    bool LoadLanguage(const std::string& file);
    const std::string& GetLanguageFile() const { return m_languageFile; }

    // Text of a key: language table, then the query interface; the key itself otherwise.
    std::string GetText(std::string_view key, std::string_view type = {}) const;
    bool HasText(std::string_view key) const;
    // Language text with its first "%d" replaced by n (never a format string).
    std::string GetTextWithNumber(std::string_view key, long long n) const;
    void AddText(const std::string& key, const std::string& text) { m_texts[key] = text; }

    void SetTextQueryInterface(IQueryControlText* query) { m_query = query; }
    // Every live resource-text control shows its key's current text again.
    void ReloadText();
    // Forgets index, texts and language.
    void Release();

    void RegisterTextControl(CControlUI* c) { m_textControls.insert(c); }
    void UnregisterTextControl(CControlUI* c) { m_textControls.erase(c); }

private:
    CResourceManager() = default;
    std::map<std::string, std::string, std::less<>> m_xmls;
    std::map<std::string, std::string, std::less<>> m_images;
    std::map<std::string, std::string, std::less<>> m_texts;
    std::string m_language;
    std::string m_languageFile;
    IQueryControlText* m_query = nullptr;
    std::set<CControlUI*> m_textControls;
};

} // namespace ui
