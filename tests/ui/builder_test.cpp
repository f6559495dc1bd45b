// The builder: layout text to a named, attributed, classed tree; unknown tags go to
// the callback, then to the global registry; layout rules.
#include "UiTestUtil.h"

#include <QComboBox>
#include <chrono>

using namespace ui;
using uitest::Tree;

namespace {

class SeenCallback : public IDialogBuilderCallback {
public:
    std::vector<std::string> asked;
    CControlUI* CreateControl(std::string_view cls) override {
        asked.emplace_back(cls);
        if (EqualsNoCase(cls, "FancyPanel")) {
            auto* c = new CVerticalLayoutUI;
            c->SetUserData("from-callback");
            return c;
        }
        return nullptr;
    }
};

} // namespace

TEST(Builder, TreeCarriesNamesAttributesAndClasses) {
    Tree t(R"(<Window size="500,320">
      <VerticalLayout name="root" bkcolor="#FF101112" inset="4,4,4,4">
        <HorizontalLayout name="row" height="40" childpadding="6">
          <Button name="ok" text="OK" width="80" tooltip="press" userdata="7" normalimage="file='a.png' source='0,0,10,10'"/>
          <Label name="lbl" text="hello" visible="false"/>
          <Edit name="ed" text="12" enabled="false"/>
        </HorizontalLayout>
        <TabLayout name="tabs"><Control name="p0"/><Control name="p1"/></TabLayout>
        <Option name="o1" group="g" selected="true"/><CheckBox name="cb"/>
        <Slider name="sl" min="0" max="48" value="10"/><Progress name="pr" value="30"/>
        <Combo name="cmb"><ListLabelElement text="a" userdata="0"/><ListLabelElement text="b" userdata="1"/></Combo>
        <List name="lst"><ListLabelElement text="r0"/><ListContainerElement name="r1"/></List>
        <RichEdit name="re"/><ColorPalette name="pal"/><Text name="tx"/>
      </VerticalLayout></Window>)");
    ASSERT_NE(t.root, nullptr);
    EXPECT_EQ(t.root->GetName(), "root");
    EXPECT_EQ(t.root->GetBkColor(), 0xFF101112u);
    EXPECT_EQ(t.pm.GetInitSize().cx, 500);

    auto* ok = t.Find<CButtonUI>("ok");
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(ok->GetClass(), "ButtonUI");
    EXPECT_EQ(ok->GetText(), "OK");
    EXPECT_EQ(ok->GetToolTip(), "press");
    EXPECT_EQ(ok->GetUserData(), "7");
    EXPECT_EQ(ok->GetFixedWidth(), 80);
    EXPECT_EQ(ok->GetNormalImage(), "file='a.png' source='0,0,10,10'");
    EXPECT_EQ(ok->GetParent(), t.Find("row"));
    EXPECT_EQ(ok->GetWidget()->objectName().toStdString(), "ok");
    EXPECT_FALSE(t.Find("lbl")->IsVisible());
    EXPECT_FALSE(t.Find("ed")->IsEnabled());
    EXPECT_EQ(t.Find("ed")->GetText(), "12");

    const std::pair<const char*, const char*> classes[] = {
        {"row", "HorizontalLayoutUI"}, {"tabs", "TabLayoutUI"}, {"o1", "OptionUI"},     {"cb", "CheckBoxUI"},
        {"sl", "SliderUI"},            {"pr", "ProgressUI"},    {"cmb", "ComboUI"},     {"lst", "ListUI"},
        {"re", "RichEditUI"},          {"pal", "ColorPaletteUI"}, {"tx", "TextUI"},    {"r1", "ListContainerElementUI"},
    };
    for (auto [name, cls] : classes) {
        ASSERT_NE(t.Find(name), nullptr) << name;
        EXPECT_EQ(t.Find(name)->GetClass(), cls) << name;
    }
    EXPECT_EQ(static_cast<CSliderUI*>(t.Find("sl"))->GetMaxValue(), 48);
    EXPECT_EQ(static_cast<CSliderUI*>(t.Find("sl"))->GetValue(), 10);
    auto* cmb = t.Find<CComboUI>("cmb");
    EXPECT_EQ(cmb->GetCount(), 2);
    EXPECT_EQ(cmb->GetItemAt(1)->GetUserData(), "1");
    EXPECT_EQ(static_cast<QComboBox*>(cmb->GetWidget())->count(), 2);
    EXPECT_EQ(t.Find<CContainerUI>("lst")->GetCount(), 2);
    EXPECT_TRUE(t.Find<COptionUI>("o1")->IsSelected());
    EXPECT_EQ(t.pm.FindSubControlByName(t.Find("row"), "ed"), t.Find("ed"));
    EXPECT_EQ(t.pm.FindSubControlByName(t.Find("tabs"), "ed"), nullptr);
}

TEST(Builder, UnknownTagsAskCallbackThenRegistryWithoutCase) {
    CControlFactory::GetInstance().RegistControl("RegisteredThing", [] {
        auto* c = new CLabelUI;
        c->SetUserData("from-registry");
        return static_cast<CControlUI*>(c);
    });
    SeenCallback cb;
    Tree t(R"(<VerticalLayout name="root">
        <fancypanel name="a"/><REGISTEREDTHING name="b"/><NoSuchThing name="c"/><Button name="d"/>
      </VerticalLayout>)",
           &cb);
    ASSERT_NE(t.root, nullptr);
    EXPECT_EQ(t.Find("a")->GetUserData(), "from-callback");
    EXPECT_EQ(t.Find("b")->GetUserData(), "from-registry");
    EXPECT_EQ(t.Find("c"), nullptr);
    // Built-in tags never reach the callback; unknown ones do, in document order.
    EXPECT_EQ(cb.asked, (std::vector<std::string>{"fancypanel", "REGISTEREDTHING", "NoSuchThing"}));
    CControlFactory::GetInstance().UnregistControl("registeredthing");
}

TEST(Builder, CallbackWinsOverRegistry) {
    struct Cb : IDialogBuilderCallback {
        CControlUI* CreateControl(std::string_view cls) override {
            if (!EqualsNoCase(cls, "Both")) return nullptr;
            auto* c = new CControlUI;
            c->SetUserData("callback");
            return c;
        }
    } cb;
    CControlFactory::GetInstance().RegistControl("both", [] {
        auto* c = new CControlUI;
        c->SetUserData("registry");
        return c;
    });
    Tree t(R"(<VerticalLayout><Both name="x"/></VerticalLayout>)", &cb);
    EXPECT_EQ(t.Find("x")->GetUserData(), "callback");
    CControlFactory::GetInstance().UnregistControl("both");
}

TEST(Builder, IncludeStylesAndBadInput) {
    uitest::SetSkinToRepo();
    CResourceManager::GetInstance().LoadResource("res.xml");
    Tree t(R"(<VerticalLayout name="root">
        <Include source="XML\CustomControlXML\ComboEditElementItem.xml" count="2"/>
        <Button name="styled" style="accent_button"/>
      </VerticalLayout>)");
    auto* root = static_cast<CContainerUI*>(t.root);
    ASSERT_EQ(root->GetCount(), 3);
    EXPECT_NE(t.Find("delay_edit"), nullptr);
    EXPECT_EQ(t.Find("styled")->GetBkColor(), 0xFFFF4655u);

    CDialogBuilder b;
    EXPECT_EQ(b.Create("<VerticalLayout><Button></VerticalLayout>"), nullptr);
    EXPECT_FALSE(b.GetLastError().empty());
    EXPECT_EQ(b.Create("no/such/file.xml"), nullptr);
    // Children of a control that is not a container are dropped, not leaked into the tree.
    Tree t2(R"(<VerticalLayout><Button name="b"><Label name="inner"/></Button></VerticalLayout>)");
    EXPECT_EQ(t2.Find("inner"), nullptr);
}

TEST(Builder, LayoutSharesSpaceAndKeepsFixedSizes) {
    Tree t(R"(<HorizontalLayout name="root" inset="10,10,10,10" childpadding="5">
        <Control name="fixed" width="100" padding="0,0,0,0"/>
        <Control name="s1"/><Control name="s2" padding="5,0,5,0"/>
        <Control name="float" float="true" pos="20,30,70,50"/>
        <Control name="hidden" width="999" visible="false"/>
      </HorizontalLayout>)",
           nullptr, 400, 100);
    EXPECT_EQ(t.Find("fixed")->GetRelativePos(), (UIRect{10, 10, 110, 90}));
    // 380 wide inside; 100 fixed, 2 gaps of 5, 10 of padding: 260 left for two.
    EXPECT_EQ(t.Find("s1")->GetRelativePos(), (UIRect{115, 10, 245, 90}));
    EXPECT_EQ(t.Find("s2")->GetRelativePos(), (UIRect{255, 10, 385, 90}));
    EXPECT_EQ(t.Find("float")->GetRelativePos(), (UIRect{20, 30, 70, 50}));
    t.Find("fixed")->SetVisible(false);
    t.pm.DoLayout();
    EXPECT_EQ(t.Find("s1")->GetRelativePos().left, 10);
}

TEST(Builder, TabLayoutShowsOnePage) {
    Tree t(R"(<TabLayout name="tabs" selectedid="1"><Control name="p0"/><Control name="p1"/><Control name="p2"/></TabLayout>)");
    auto* tabs = t.Find<CTabLayoutUI>("tabs");
    EXPECT_EQ(tabs->GetCurSel(), 1);
    EXPECT_FALSE(t.Find("p0")->IsVisible());
    EXPECT_TRUE(t.Find("p1")->IsVisible());
    EXPECT_TRUE(tabs->SelectItem(2));
    EXPECT_TRUE(t.Find("p2")->IsVisible());
    EXPECT_FALSE(t.Find("p1")->IsVisible());
    EXPECT_FALSE(t.Find("p1")->GetWidget()->isVisible());
    EXPECT_FALSE(tabs->SelectItem(3));
    EXPECT_EQ(tabs->GetCurSel(), 2);
}

TEST(Builder, KeyboardSizedPanelBuildsQuickly) {
    std::string xml = R"(<VerticalLayout name="root">)";
    for (int r = 0; r < 6; ++r) {
        xml += "<HorizontalLayout height=\"40\">";
        for (int c = 0; c < 21; ++c) {
            const int n = r * 21 + c;
            xml += "<Button name=\"key_" + std::to_string(n) + "\" userdata=\"light_" + std::to_string(n) +
                   "\" width=\"38\" normalimage=\"key/key_normal.png\"/>";
        }
        xml += "</HorizontalLayout>";
    }
    xml += "</VerticalLayout>";
    const auto start = std::chrono::steady_clock::now();
    Tree t(xml, nullptr, 900, 300);
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
    ASSERT_NE(t.Find("key_125"), nullptr);
    EXPECT_EQ(t.Find("key_125")->GetUserData(), "light_125");
    EXPECT_EQ(t.Find("key_22")->GetRelativePos().left, 38);
    // Generous bound for a loaded 2-core machine; the benchmark gives the real number.
    EXPECT_LT(ms, 3000);
}
