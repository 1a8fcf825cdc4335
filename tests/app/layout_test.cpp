// The window and the advanced settings dialog laid out in the desktop's font and in a font one
// half larger (what 144 instead of 96 dots per inch does to text): on every page no two controls
// overlap and no text is cut. CTest also runs these tests at a real 144 dpi.
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QGroupBox>
#include <QProgressBar>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>

#include "window_fixture.h"
#include "wizard/window/adv_set_dlg.h"

namespace fotoloom::testing {
namespace {

// What the user sees as one control; the parts Qt builds a spin box or a list of are not.
bool IsControl(QWidget* widget, QWidget* root) {
  for (QWidget* up = widget->parentWidget(); up && up != root; up = up->parentWidget())
    if (qobject_cast<QAbstractSpinBox*>(up) || qobject_cast<QComboBox*>(up)) return false;
  if (widget->objectName().startsWith("gboxPage")) return false;  // a page holds them all
  auto* frame = qobject_cast<QFrame*>(widget);
  return qobject_cast<QLabel*>(widget) || qobject_cast<QAbstractButton*>(widget) ||
         qobject_cast<QLineEdit*>(widget) || qobject_cast<QAbstractSpinBox*>(widget) ||
         qobject_cast<QComboBox*>(widget) || qobject_cast<QProgressBar*>(widget) ||
         qobject_cast<QGroupBox*>(widget) || (frame && frame->frameShape() == QFrame::HLine);
}

std::string Name(QWidget* widget) {
  if (!widget->objectName().isEmpty()) return widget->objectName().toStdString();
  if (auto* label = qobject_cast<QLabel*>(widget)) return "label " + label->text().toStdString();
  if (auto* button = qobject_cast<QAbstractButton*>(widget))
    return "button " + button->text().toStdString();
  return widget->metaObject()->className();
}

// Every overlap of two visible controls, every control outside its window or its parent, and
// every text larger than the place it has.
std::vector<std::string> LayoutFaults(QWidget* root) {
  std::vector<std::pair<QWidget*, QRect>> controls;
  for (QWidget* widget : root->findChildren<QWidget*>())
    if (widget->isVisibleTo(root) && IsControl(widget, root))
      controls.emplace_back(widget, QRect(widget->mapTo(root, QPoint(0, 0)), widget->size()));
  std::vector<std::string> faults;
  for (const auto& [widget, rect] : controls) {
    if (!root->rect().contains(rect) ||
        !widget->parentWidget()->rect().contains(widget->geometry()))
      faults.push_back(Name(widget) + " is cut off");
    // Texts: captions, labels, group titles, list entries.
    QSize needed;
    auto* label = qobject_cast<QLabel*>(widget);
    if (label && !label->text().isEmpty())
      needed =
          label->wordWrap() ? QSize(0, label->heightForWidth(label->width())) : label->sizeHint();
    if (qobject_cast<QAbstractButton*>(widget) || qobject_cast<QComboBox*>(widget))
      needed = widget->sizeHint();
    if (qobject_cast<QGroupBox*>(widget)) needed = widget->minimumSizeHint();
    if (needed.width() > rect.width() || needed.height() > rect.height())
      faults.push_back(Name(widget) + " needs more room than it has");
  }
  for (size_t i = 0; i < controls.size(); ++i)
    for (size_t j = i + 1; j < controls.size(); ++j) {
      QWidget* a = controls[i].first;
      QWidget* b = controls[j].first;
      if (!a->isAncestorOf(b) && !b->isAncestorOf(a) &&
          controls[i].second.intersects(controls[j].second))
        faults.push_back(Name(a) + " overlaps " + Name(b));
    }
  return faults;
}

class LayoutTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    WriteSettings("AlbumDirectory=" + album_dir_ + "\nUseDefaultsOnPage6=0\n");
    desktop_font_ = QApplication::font();
  }
  void TearDown() override {
    QApplication::setFont(desktop_font_);
    WindowTest::TearDown();
  }

  // The window's size, after checking every page and the dialog in the application's font.
  QSize CheckEveryPage() {
    Show();
    for (int page = 1; page <= 7; ++page) {
      GoTo(page);
      window_->grab();  // lays out and paints the page as the screen would
      EXPECT_EQ(LayoutFaults(window_.get()), std::vector<std::string>{}) << "page " << page;
    }
    TAdvSetDlg& dialog = window_->advancedDialog();
    dialog.show();
    dialog.grab();
    EXPECT_EQ(LayoutFaults(&dialog), std::vector<std::string>{}) << "advanced settings";
    dialog.hide();
    return window_->size();
  }

  QFont desktop_font_;
};

TEST_F(LayoutTest, EveryPageFitsItsTextAtTheDesktopFontAndOneHalfLarger) {
  const QSize usual = CheckEveryPage();
  // Fixed in size, so the window offers no maximise button.
  EXPECT_EQ(window_->minimumSize(), window_->maximumSize());
  EXPECT_FALSE(window_->windowFlags() & Qt::WindowMaximizeButtonHint);
  window_.reset();

  QFont larger = desktop_font_;
  larger.setPointSizeF(desktop_font_.pointSizeF() * 1.5);
  QApplication::setFont(larger);
  const int line = QFontMetrics(desktop_font_).height();
  const int larger_line = QFontMetrics(larger).height();
  EXPECT_GE(larger_line * 10, line * 14) << "the text must really grow";
  const QSize grown = CheckEveryPage();
  EXPECT_GT(grown.width(), usual.width());
  EXPECT_GT(grown.height(), usual.height());
  std::printf("window %dx%d at %g dpi, %dx%d with a font one half larger\n", usual.width(),
              usual.height(), QGuiApplication::primaryScreen()->logicalDotsPerInch(), grown.width(),
              grown.height());
}

// window fitted into room fits there; it scrolls exactly when it had to shrink, and a Tab from
// the next to last of controls (the last one in reach of the keyboard) brings the last one into
// sight. Returns a line of figures.
template <class Window>
std::string ExpectFits(Window* window, const QRect& room, const char* area_name,
                       const std::vector<const char*>& controls) {
  auto* area = window->template findChild<QScrollArea*>(area_name);
  window->FitIntoScreen(QRect(0, 0, 1 << 16, 1 << 16));
  const QSize natural = window->size();
  window->FitIntoScreen(room);
  window->show();
  QCoreApplication::processEvents();  // the scroll bars follow the area's size
  window->grab();
  EXPECT_TRUE(room.contains(window->geometry())) << area_name;
  const bool shrunk = window->size() != natural;
  EXPECT_EQ(area->verticalScrollBar()->isVisibleTo(window) ||
                area->horizontalScrollBar()->isVisibleTo(window),
            shrunk)
      << area_name;
  auto* before = window->template findChild<QWidget*>(controls[0]);
  auto* last = window->template findChild<QWidget*>(controls[1]);
  before->setFocus();
  QTest::keyClick(before, Qt::Key_Tab);
  EXPECT_EQ(window->focusWidget(), last) << area_name;
  const QRect seen(last->mapTo(area->viewport(), QPoint(0, 0)), last->size());
  EXPECT_TRUE(area->viewport()->rect().contains(seen)) << controls[1];
  return QString("%1 %2x%3 (%4x%5) in %6x%7")
      .arg(area_name)
      .arg(window->width())
      .arg(window->height())
      .arg(natural.width())
      .arg(natural.height())
      .arg(room.width())
      .arg(room.height())
      .toStdString();
}

TEST_F(LayoutTest, TheWindowAndTheDialogFitTheScreenTheyOpenOnAndScrollWhereTheyMust) {
  const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
  Show();
  GoTo(6);
  TAdvSetDlg& dialog = window_->advancedDialog();
  std::vector<std::string> figures;
  // The screen the test runs on (CTest also runs it on 800 x 500 at a scale of 2), and a room
  // lower than the content at any font.
  for (const QRect& room : {screen, QRect(screen.topLeft(), QSize(screen.width(), 240))}) {
    figures.push_back(ExpectFits(window_.get(), room, "scrollPages",
                                 {"btnAdvancedSettings", "chkboxUseDefaultsOnPage6"}));
    figures.push_back(ExpectFits(&dialog, room, "scrollGroups",
                                 {"chkboxPreviewImages", "chkboxHiDPIThumbnails"}));
    dialog.hide();
  }
  for (const std::string& line : figures) std::printf("%s\n", line.c_str());
}

}  // namespace
}  // namespace fotoloom::testing
