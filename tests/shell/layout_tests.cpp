// Proportional rescaling of a window's controls from their load geometry.
#include "layout.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <gtest/gtest.h>
#include <map>

namespace {

// A window laid out by absolute geometry, as the resizable windows are,
// with a frame holding a control and a grid with Qt's inner widgets.
struct Window {
    Window()
    {
        form.resize(400, 300);
        place(new QLabel("大廈", &form), "Label1", {10, 20, 100, 30});
        place(new QLineEdit(&form), "Text1", {120, 20, 201, 25});
        auto* frame = new QGroupBox("門", &form);
        place(frame, "Frame1", {10, 60, 380, 150});
        place(new QPushButton("确 認", frame), "Command1", {13, 31, 80, 30});
        place(new QTableWidget(3, 3, &form), "Grid1", {10, 220, 380, 70});
        auto* laidOut = new QWidget(&form);
        place(laidOut, "Panel1", {300, 0, 100, 20});
        auto* box = new QVBoxLayout(laidOut);
        auto* inner = new QLabel("x");
        inner->setObjectName("Inner");
        box->addWidget(inner);
    }
    void place(QWidget* w, const char* name, QRect r)
    {
        w->setObjectName(name);
        w->setGeometry(r);
        load[name] = r;
    }
    QRect at(const char* name) const { return form.findChild<QWidget*>(name)->geometry(); }
    void resizeTo(int w, int h)
    {
        form.resize(w, h);
        ApplyLayout(form);
    }

    QWidget form;
    std::map<std::string, QRect> load;
};

QRect scaled(QRect r, double xs, double ys)
{
    return QRect(qRound(r.x() * xs), qRound(r.y() * ys), qRound(r.width() * xs), qRound(r.height() * ys));
}

TEST(Layout, DoubleSizeDoublesEveryControlAndKeepsFonts)
{
    Window w;
    const int pointSize = w.form.findChild<QLabel*>("Label1")->font().pointSize();
    SaveLayout(w.form);
    QWidget* viewport = w.form.findChild<QTableWidget*>("Grid1")->viewport();
    const QRect viewportBefore = viewport->geometry();
    w.resizeTo(800, 600);
    for (const auto& [name, r] : w.load)
        EXPECT_EQ(w.at(name.c_str()), scaled(r, 2, 2)) << name;
    EXPECT_EQ(w.form.findChild<QLabel*>("Label1")->font().pointSize(), pointSize);
    EXPECT_EQ(viewport->geometry(), viewportBefore);  // the grid places its own inner widgets
    EXPECT_EQ(w.form.findChild<QWidget*>("Inner")->property("Tag"), QVariant());  // left to its layout
}

TEST(Layout, ResizingBackRestoresTheLoadGeometryExactly)
{
    Window w;
    SaveLayout(w.form);
    for (auto [x, y] : {std::pair{613, 277}, {123, 457}, {401, 299}, {3, 2}})
        w.resizeTo(x, y);
    w.resizeTo(400, 300);
    for (const auto& [name, r] : w.load)
        EXPECT_EQ(w.at(name.c_str()), r) << name;
}

TEST(Layout, ScalesEachAxisByItsOwnRatio)
{
    Window w;
    SaveLayout(w.form);
    w.resizeTo(600, 150);
    for (const auto& [name, r] : w.load)
        EXPECT_EQ(w.at(name.c_str()), scaled(r, 1.5, 0.5)) << name;
}

TEST(Layout, EachWindowScalesAgainstItsOwnLoadSize)
{
    Window cardIssue;
    SaveLayout(cardIssue.form);
    Window personnel;
    personnel.form.resize(200, 100);
    SaveLayout(personnel.form);  // loaded later, over the first
    cardIssue.resizeTo(800, 600);
    EXPECT_EQ(cardIssue.at("Text1"), scaled(cardIssue.load["Text1"], 2, 2));
    personnel.resizeTo(400, 300);
    EXPECT_EQ(personnel.at("Text1"), scaled(personnel.load["Text1"], 2, 3));
}

TEST(Layout, TagsHoldFourBlankEndedNumbersAndShortTagsReadAsZero)
{
    Window w;
    SaveLayout(w.form);
    QWidget* label = w.form.findChild<QWidget*>("Label1");
    QWidget* text = w.form.findChild<QWidget*>("Text1");
    QWidget* button = w.form.findChild<QWidget*>("Command1");
    EXPECT_EQ(label->property("Tag").toString(), "10 20 100 30 ");
    label->setProperty("Tag", "10 20 100");  // the last number has no blank after it
    text->setProperty("Tag", QString());     // no tag: stays where it is
    button->setGeometry(5, 5, 50, 20);
    button->setProperty("Tag", "8 ");
    w.resizeTo(800, 600);
    EXPECT_EQ(label->geometry(), QRect(20, 40, 0, 0));
    EXPECT_EQ(text->geometry(), w.load["Text1"]);
    EXPECT_EQ(button->geometry(), QRect(16, 0, 0, 0));
}

TEST(Layout, AWindowThatNeverSavedIsLeftAlone)
{
    Window w;
    w.resizeTo(800, 600);
    for (const auto& [name, r] : w.load)
        EXPECT_EQ(w.at(name.c_str()), r) << name;
}

}  // namespace
