// Resource index, language texts of resource-text controls, reload, and the
// one-placeholder fill of language texts.
#include "UiTestUtil.h"

#include "platform/AtomicFile.h"
#include "ui/UIXml.h"

#include <QComboBox>
#include <QAbstractButton>
#include <QDir>
#include <QTemporaryDir>
#include <set>

using namespace ui;
using uitest::Tree;

namespace {

// A skin folder of its own so the test can write language files.
struct TempSkin {
    QTemporaryDir dir;
    std::string old;
    TempSkin() : old(CPaintManagerUI::GetResourcePath()) {
        CPaintManagerUI::SetResourcePath(dir.path().toStdString());
    }
    ~TempSkin() { CPaintManagerUI::SetResourcePath(old); }
    void Write(const std::string& name, const std::string& text) {
        ASSERT_TRUE(platform::WriteFileAtomic(dir.path().toStdString() + "/" + name, text));
    }
};

const char* kCn = R"(<Language><Text id="greet" value="你好"/><Text id="item" value="甲"/>
  <Text id="tip" value="提示"/></Language>)";
const char* kEn = R"(<Language><Text id="greet" value="Hello"/><Text id="item" value="First"/>
  <Text id="tip" value="Hint"/></Language>)";

} // namespace

TEST(Language, ResourceTextFollowsLanguageAndReload) {
    TempSkin skin;
    skin.Write("lan_a.xml", kCn);
    skin.Write("lan_b.xml", kEn);
    auto& rm = CResourceManager::GetInstance();
    ASSERT_TRUE(rm.LoadLanguage("lan_a.xml"));
    Tree t(R"(<VerticalLayout><Label name="l" text="greet" resourcetext="true"/>
        <Label name="plain" text="greet"/><Button name="b" text="greet" tooltip="tip" resourcetext="true"/>
        <Combo name="c"><ListLabelElement text="item" resourcetext="true"/></Combo></VerticalLayout>)");
    EXPECT_EQ(t.Find("l")->GetText(), "你好");
    EXPECT_EQ(t.Find("l")->GetRawText(), "greet");
    EXPECT_EQ(t.Find("plain")->GetText(), "greet");
    EXPECT_EQ(t.Find("b")->GetToolTip(), "提示");
    auto* box = static_cast<QComboBox*>(t.Find("c")->GetWidget());
    EXPECT_EQ(box->itemText(0).toStdString(), "甲");

    rm.SetLanguage("en_US");
    ASSERT_TRUE(rm.LoadLanguage("lan_b.xml"));
    EXPECT_EQ(rm.GetLanguage(), "en_US");
    EXPECT_EQ(t.Find("l")->GetText(), "Hello"); // the text table is read when asked
    const int before = t.Find("l")->GetInvalidateCount();
    rm.ReloadText();
    EXPECT_GT(t.Find("l")->GetInvalidateCount(), before); // and the controls repaint on reload
    EXPECT_EQ(box->itemText(0).toStdString(), "First");
    EXPECT_EQ(t.Find("b")->GetWidget()->toolTip().toStdString(), "Hint");
    EXPECT_EQ(static_cast<QAbstractButton*>(t.Find("b")->GetWidget())->text().toStdString(), "Hello");

    // A broken file keeps the table; a missing key shows the key.
    skin.Write("lan_bad.xml", "<Language><Text id=");
    EXPECT_FALSE(rm.LoadLanguage("lan_bad.xml"));
    EXPECT_EQ(t.Find("l")->GetText(), "Hello");
    EXPECT_EQ(rm.GetText("no_such_key"), "no_such_key");
}

TEST(Language, QueryInterfaceAnswersMissingKeys) {
    struct Query : IQueryControlText {
        std::optional<std::string> QueryControlText(std::string_view key, std::string_view) override {
            if (key == "dynamic") return std::string("from window");
            return std::nullopt;
        }
    } q;
    auto& rm = CResourceManager::GetInstance();
    rm.SetTextQueryInterface(&q);
    EXPECT_EQ(rm.GetText("dynamic"), "from window");
    EXPECT_EQ(rm.GetText("other"), "other");
    rm.SetTextQueryInterface(nullptr);
    EXPECT_EQ(rm.GetText("dynamic"), "dynamic");
}

TEST(Language, NumberFillsOnlyTheFirstPlaceholder) {
    // Language texts are data: "%s" or "%n" must come out literally.
    const std::pair<const char*, const char*> cases[] = {
        {"result %d", "result -3"},
        {"%d of %d", "-3 of %d"},
        {"%s %n %x %d", "%s %n %x -3"},
        {"no number", "no number"},
        {"100%% done %d", "100%% done -3"},
        {"", ""},
    };
    for (auto [in, out] : cases) EXPECT_EQ(ReplaceFirstNumber(in, -3), out) << in;

    TempSkin skin;
    skin.Write("lan_n.xml", R"(<Language><Text id="message_text_16" value="写入 %s 结果 %d"/></Language>)");
    auto& rm = CResourceManager::GetInstance();
    ASSERT_TRUE(rm.LoadLanguage("lan_n.xml"));
    EXPECT_EQ(rm.GetTextWithNumber("message_text_16", 5), "写入 %s 结果 5");
}

TEST(Language, ShippedFilesCarryTheSameKeys) {
    uitest::SetSkinToRepo();
    auto& rm = CResourceManager::GetInstance();
    ASSERT_TRUE(rm.LoadResource("res.xml"));
    EXPECT_EQ(rm.GetXmlPath("XML_MSG"), "msgwnd.xml");
    ASSERT_TRUE(rm.LoadLanguage("lan_cn.xml"));
    const std::vector<std::string> keys = {"message_text_2",  "message_text_4",  "message_text_5",  "message_text_6",
                                           "message_text_7",  "message_text_16", "message_text_22", "message_text_24",
                                           "message_text_25", "message_text_26", "message_text_27", "confirm_text",
                                           "cancel_text"};
    for (const auto& k : keys) EXPECT_TRUE(rm.HasText(k)) << "cn " << k;
    EXPECT_NE(rm.GetText("message_text_16").find("%d"), std::string::npos);
    ASSERT_TRUE(rm.LoadLanguage("lan_en.xml"));
    for (const auto& k : keys) EXPECT_TRUE(rm.HasText(k)) << "en " << k;
    EXPECT_NE(rm.GetText("message_text_16").find("%d"), std::string::npos);

    // Both files carry exactly the same keys.
    auto ids = [](const char* file) {
        std::set<std::string> out;
        auto doc = LoadXmlFile(ResolveSkinPath(file));
        if (doc)
            for (const XmlNode& n : doc->children)
                if (const std::string* id = n.Attr("id")) out.insert(*id);
        return out;
    };
    const auto cn = ids("lan_cn.xml");
    EXPECT_GT(cn.size(), keys.size());
    EXPECT_EQ(cn, ids("lan_en.xml"));
}
