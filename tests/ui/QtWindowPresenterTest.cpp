#include <gtest/gtest.h>

#include <QApplication>
#include <QWidget>

#include "ui/QtWindowPresenter.h"
#include "ui/Summaries.h"

namespace orvale::ui {
namespace {

class QtWindowPresenterTest : public ::testing::Test {
  protected:
    QtWindowPresenterTest() {
        presenter.registerWindow("details", [this] {
            ++built;
            return std::make_unique<QWidget>();
        });
    }

    QtWindowPresenter presenter;
    int built = 0;
    int userCloses = 0;
};

// A window shown twice is built once; the title follows the last show.
TEST_F(QtWindowPresenterTest, ShowingAnOpenWindowReusesIt) {
    presenter.show("details", "Layout Details", {});
    QWidget* first = presenter.window("details");
    ASSERT_NE(first, nullptr);
    presenter.show("details", "Other", {});
    EXPECT_EQ(presenter.window("details"), first);
    EXPECT_EQ(built, 1);
    EXPECT_EQ(first->windowTitle(), "Other");
    EXPECT_TRUE(first->isVisible());
    presenter.show("unknown", "Nothing", {});
    EXPECT_EQ(presenter.window("unknown"), nullptr);
}

// The close handler hears the user, never the program; either way the next
// show builds the window afresh.
TEST_F(QtWindowPresenterTest, OnlyTheUsersCloseIsReported) {
    presenter.show("details", "Layout Details", [this] { ++userCloses; });
    presenter.close("details");
    QCoreApplication::processEvents();
    EXPECT_EQ(userCloses, 0);
    EXPECT_EQ(presenter.window("details"), nullptr);

    presenter.show("details", "Layout Details", [this] { ++userCloses; });
    presenter.window("details")->close();
    QCoreApplication::processEvents();
    EXPECT_EQ(userCloses, 1);
    EXPECT_EQ(presenter.window("details"), nullptr);
    presenter.show("details", "Layout Details", {});
    EXPECT_EQ(built, 3);
}

TEST(SummariesTest, NounsArePluralUnlessTheCountIsOne) {
    EXPECT_EQ(layoutSummary(1, 1), "1 window · 1 display");
    EXPECT_EQ(layoutSummary(3, 2), "3 windows · 2 displays");
}

}  // namespace
}  // namespace orvale::ui
