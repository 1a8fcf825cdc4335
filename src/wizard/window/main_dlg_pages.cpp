// The wizard window's widgets: seven pages on one spot, the separator and the button row, placed
// by layouts in the desktop's font. At the usual font the measures are the window's classic
// ones (500 x 367, a 169 x 289 side picture, a 292-pixel column of controls right of it); a
// larger font scales them (FontScale), and the layouts give wrapped texts the lines they need.
#include <QAbstractSpinBox>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStackedLayout>
#include <QVBoxLayout>
#include <algorithm>

#include "wizard/window/main_dlg.h"
#include "wizard/window/side_art.h"
#include "wizard/window/widgets.h"

namespace fotoloom {
namespace {

constexpr int kColumnWidth = 292;   // the controls' column right of the side picture
constexpr int kHeadingIndent = 24;  // headings stand a little to the right of the column
constexpr int kButtonWidth = 90;    // the button row's buttons
constexpr int kButtonHeight = 25;

// Stacks widgets down the column of one page.
class Column {
 public:
  Column(QWidget* page, QVBoxLayout* layout, double scale)
      : page_(page), layout_(layout), scale_(scale) {}

  // A text wrapped to the column's width, however wide it is (FitWrappedTexts gives it its
  // height once that width is known).
  QLabel* Text(const char* name, const QString& text) {
    auto* label = new QLabel(text, page_);
    label->setObjectName(name);
    label->setWordWrap(true);
    label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    layout_->addWidget(label);
    return label;
  }

  // A widget across the column, or at its natural width where alignment says.
  template <class W>
  W* Put(W* widget, const char* name, Qt::Alignment alignment = {}) {
    if (name) widget->setObjectName(name);
    layout_->addWidget(widget, 0, alignment);
    return widget;
  }

  // Widgets side by side at their natural widths, from the column's left edge; number fields
  // at least as wide as the classic window's.
  QHBoxLayout* Row(std::initializer_list<QWidget*> widgets, int spacing) {
    auto* row = new QHBoxLayout;
    row->setSpacing(Scaled(spacing, scale_));
    for (QWidget* widget : widgets) {
      if (qobject_cast<QAbstractSpinBox*>(widget)) widget->setMinimumWidth(Scaled(64, scale_));
      row->addWidget(widget);
    }
    row->addStretch(1);
    layout_->addLayout(row);
    return row;
  }

  void Gap(int pixels) { layout_->addSpacing(Scaled(pixels, scale_)); }
  void Stretch() { layout_->addStretch(1); }

  void Separator() {
    Gap(2);
    auto* line = new QFrame(page_);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    layout_->addWidget(line);
    Gap(2);
  }

 private:
  QWidget* page_;
  QVBoxLayout* layout_;
  double scale_;
};

QLineEdit* NewEdit(QWidget* parent) { return new QLineEdit(parent); }

QCheckBox* NewCheck(const QString& caption, QWidget* parent) {
  return new QCheckBox(caption, parent);
}

QPushButton* NewBrowse(const char* name, const QString& caption, QWidget* parent) {
  auto* button = Named(new QPushButton(caption, parent), name);
  button->setAutoDefault(false);
  return button;
}

// A "Browse" button tells a screen reader what it browses for; all of them look alike.
QPushButton* NewBrowse(const char* name, const QString& caption, const QString& browses_for,
                       QWidget* parent) {
  auto* button = NewBrowse(name, caption, parent);
  button->setAccessibleName("Browse for " + browses_for);
  return button;
}

// A label that names the field under or beside it, for a screen reader as for the eye.
QLabel* LabelFor(QWidget* field, const QString& text, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setBuddy(field);
  return label;
}

// A captioned group whose rows are a label, a swatch and a "Browse" button. The swatch is
// named after its colour's role, which its label alone ("Color:", "Page:") does not say.
void AddColorRow(QGridLayout* grid, int row, QWidget* label, const char* swatch, const char* button,
                 const QString& role) {
  auto* box = grid->parentWidget();
  auto* colour = Named(new SwatchEdit(box), swatch);
  colour->setAccessibleName(role);
  auto* browse = NewBrowse(button, "Browse", role, box);
  colour->DescribeAlso(browse);
  grid->addWidget(label, row, 0);
  grid->addWidget(colour, row, 1);
  grid->addWidget(browse, row, 2);
}

QGridLayout* NewGrid(QGroupBox* box, double scale) {
  auto* grid = new QGridLayout(box);
  grid->setContentsMargins(Scaled(10, scale), Scaled(6, scale), Scaled(10, scale),
                           Scaled(6, scale));
  grid->setHorizontalSpacing(Scaled(8, scale));
  grid->setVerticalSpacing(Scaled(4, scale));
  return grid;
}

}  // namespace

QGroupBox* TMainDlg::AddPage(int page, const QString& heading, const QString& intro,
                             QVBoxLayout** column) {
  auto* box = new QGroupBox(this);
  box->setObjectName(QString("gboxPage%1").arg(page));
  box->setStyleSheet(QString("QGroupBox#gboxPage%1 { border: none; }").arg(page));
  auto* row = new QHBoxLayout(box);
  row->setContentsMargins(Scaled(16, scale_), Scaled(16, scale_), Scaled(4, scale_),
                          Scaled(7, scale_));
  row->setSpacing(Scaled(7, scale_));

  auto* picture = new QLabel(box);
  picture->setObjectName(QString("imgPage%1").arg(page));
  picture->setFrameShape(QFrame::Panel);
  picture->setFrameShadow(QFrame::Sunken);
  picture->setLineWidth(1);
  picture->setScaledContents(true);
  picture->setPixmap(SidePicture(page, scale_));
  picture->setAccessibleName(StepText(page));  // the picture shows the step
  picture->setFixedSize(Scaled(kSidePictureWidth - 1, scale_),
                        Scaled(kSidePictureHeight - 1, scale_));
  row->addWidget(picture, 0, Qt::AlignTop);

  auto* layout = new QVBoxLayout;
  layout->setSpacing(Scaled(2, scale_));
  auto* holder = new QWidget(box);  // the column, as wide on every page (FitWrappedTexts)
  holder->setObjectName(QString("colPage%1").arg(page));
  holder->setLayout(layout);
  layout->setContentsMargins(0, 0, 0, 0);
  row->addWidget(holder, 1);

  if (!heading.isEmpty()) {
    layout->addSpacing(Scaled(8, scale_));
    auto* title = Named(new QLabel(heading, holder),
                        QString("stxtHeading%1").arg(page).toLatin1().constData());
    QFont font = title->font();
    if (font.pointSizeF() > 0) {
      font.setPointSizeF(font.pointSizeF() * 1.5);
    } else {  // a desktop font given in pixels
      font.setPixelSize(qRound(font.pixelSize() * 1.5));
    }
    font.setBold(true);
    font.setUnderline(true);
    title->setFont(font);
    title->setIndent(Scaled(kHeadingIndent, scale_));
    layout->addWidget(title);
    layout->addSpacing(Scaled(6, scale_));
  }
  if (!intro.isEmpty()) {
    Column c(holder, layout, scale_);
    c.Text(QString("stxtIntro%1").arg(page).toLatin1().constData(), intro);
    layout->addSpacing(Scaled(10, scale_));
  }
  *column = layout;
  return box;
}

void TMainDlg::BuildPages(QStackedLayout* pages) {
  QVBoxLayout* layout = nullptr;
  // Page 1: catalog file and image directory.
  {
    QGroupBox* page =
        AddPage(1, "Welcome!",
                "This wizard allows you to create a catalog of your image files. Created image "
                "catalogs will be saved as HTML files, so they can be viewed with all common Web "
                "browsers. ",
                &layout);
    QWidget* col = layout->parentWidget();
    Column c(col, layout, scale_);
    QLabel* label =
        c.Text("stxtAlbumFileName", "Enter here the file name for the new catalog file:");
    auto* file_name = c.Put(NewEdit(col), "editAlbumFileName");
    file_name->installEventFilter(this);
    label->setBuddy(file_name);
    c.Gap(10);
    label = c.Text("stxtAlbumDirectory",
                   "Enter here the full directory path where your source image files are stored. "
                   "The New catalog file will also be saved in this directory:");
    auto* directory = c.Put(NewEdit(col), "editAlbumDirectory");
    directory->installEventFilter(this);  // a folder dropped on it
    label->setBuddy(directory);
    c.Gap(3);
    auto* browse = c.Put(NewBrowse("btnBrowseFolders", "&Browse", "Image Folder", col), nullptr,
                         Qt::AlignRight);
    browse->setMinimumSize(Scaled(75, scale_), Scaled(kButtonHeight, scale_));
    c.Gap(6);
    c.Put(NewCheck("Include sub-folders as sub-albums", col), "chkboxIncludeSubfolders");
    c.Stretch();
    pages->addWidget(page);
  }
  // Page 2: title, header and footer.
  {
    QGroupBox* page = AddPage(
        2, "Catalog Information",
        "Options allow you to customize the catalog title the header and the footer "
        "information. The title is displayed in browser title bar and the header is displayed "
        "at the beginning of the Web page above thumbnails. Footer is added below each "
        "generated page.",
        &layout);
    QWidget* col = layout->parentWidget();
    Column c(col, layout, scale_);
    c.Text("stxtAlbumName", "Enter here the title for your new catalog:")
        ->setBuddy(c.Put(NewEdit(col), "editAlbumName"));
    c.Gap(6);
    c.Text("stxtAlbumHeader", "Enter here the header for your new catalog:")
        ->setBuddy(c.Put(NewEdit(col), "editAlbumHeader"));
    c.Gap(6);
    c.Text("stxtAlbumFooter", "Enter here the footer text for your HTML pages:")
        ->setBuddy(c.Put(NewEdit(col), "editAlbumFooter"));
    c.Stretch();
    pages->addWidget(page);
  }
  // Page 3: layout.
  {
    QGroupBox* page =
        AddPage(3, "Catalog Layout",
                "These options allow you design the basic layout of your new catalog. ", &layout);
    QWidget* col = layout->parentWidget();
    Column c(col, layout, scale_);
    // One label over two fields: each field's name says which side it holds.
    c.Text("stxtThumbGeometryW", "Maximum size of thumbnail (width * height pixels):");
    auto* times = Named(new QLabel("x", col), "stxtThumbGeometryX");
    auto* width = Named(new NumberSpin(col), "seditThumbGeometryW");
    auto* height = Named(new NumberSpin(col), "seditThumbGeometryH");
    width->setAccessibleName("Maximum size of thumbnail, width in pixels");
    height->setAccessibleName("Maximum size of thumbnail, height in pixels");
    c.Row({width, times, height}, 6);
    c.Separator();
    auto* per_row = Named(new NumberSpin(col), "seditThumbsPerRow");
    c.Text("stxtThumbsPerRow", "Enter the number of thumbnails on each row:")->setBuddy(per_row);
    c.Row({per_row}, 0);
    c.Separator();
    c.Put(NewCheck("Enable support for multiple catalog files", col), "chkboxCreateMultipleFiles");
    auto* rows = Named(new NumberSpin(col), "seditThumbRowsPerFile");
    c.Text("stxtMaxRowsPerFile", "Enter the number of thumbnail rows on each file:")
        ->setBuddy(rows);
    c.Row({rows}, 0);
    c.Stretch();
    c.Put(NewCheck("Use default values", col), "chkboxUseDefaultsOnPage3");
    pages->addWidget(page);
  }
  // Page 4: file details and sorting.
  {
    QGroupBox* page = AddPage(4, {}, {}, &layout);
    QWidget* col = layout->parentWidget();
    Column c(col, layout, scale_);
    auto* details = c.Put(new QGroupBox("Show Following File Details", col), "grpBoxFileDetails");
    auto* grid = NewGrid(details, scale_);
    const char* names[] = {"chkboxShowFileName", "chkboxShowFileExt", "chkboxShowFileTime",
                           "chkboxShowFileSize"};
    const char* captions[] = {"File Name", "File Extension", "File Date", "File Size"};
    for (int i = 0; i < 4; ++i)
      grid->addWidget(Named(NewCheck(captions[i], details), names[i]), i / 2, i % 2);
    c.Gap(10);
    auto* sort_by = Named(new RadioGroupBox("Sorting Criteria",
                                            {"Sort by Name", "Sort by Date", "Sort by Size"}, col),
                          "rgrpSortBy");
    auto* sort_method = Named(new RadioGroupBox("Sorting Method", {"Ascending", "Descending"}, col),
                              "rgrpSortMethod");
    auto* sorting = new QHBoxLayout;
    sorting->setSpacing(Scaled(24, scale_));
    sorting->addWidget(sort_by, 1);
    sorting->addWidget(sort_method, 1);
    layout->addLayout(sorting);
    c.Stretch();
    c.Put(NewCheck("Use default values", col), "chkboxUseDefaultsOnPage4");
    pages->addWidget(page);
  }
  // Page 5: text and link colours.
  {
    QGroupBox* page = AddPage(5, {}, {}, &layout);
    QWidget* col = layout->parentWidget();
    Column c(col, layout, scale_);
    auto* text = c.Put(new QGroupBox("Text Properties", col), "grpBoxTextProp");
    auto* grid = NewGrid(text, scale_);
    AddColorRow(grid, 0, new QLabel("Header Color:", text), "editHeaderColor",
                "btnSelectHeaderColor", "Header Color");
    AddColorRow(grid, 1, new QLabel("Text Color:", text), "editTextColor", "btnSelectTextColor",
                "Text Color");
    auto* font = Named(new QLineEdit(text), "editAlbumFont");
    grid->addWidget(LabelFor(font, "Font:", text), 2, 0);
    grid->addWidget(font, 2, 1, 1, 3);
    auto* size = Named(new QComboBox(text), "cmbHeaderSize");
    size->addItems({"H1", "H2", "H3", "H4"});
    grid->addWidget(LabelFor(size, "Header Size:", text), 3, 0);
    grid->addWidget(size, 3, 1, 1, 2, Qt::AlignLeft);
    auto* font_size = Named(new NumberSpin(text), "seditFontSize");
    grid->addWidget(LabelFor(font_size, "Font Size:", text), 4, 0);
    grid->addWidget(font_size, 4, 1, 1, 2, Qt::AlignLeft);
    grid->setColumnStretch(3, 1);
    c.Gap(8);
    auto* links = c.Put(new QGroupBox("Link Properties", col), "grpBoxLinkProp");
    grid = NewGrid(links, scale_);
    AddColorRow(grid, 0, new QLabel("Color:", links), "editLinkColor", "btnSelectLinkColor",
                "Link Color");
    AddColorRow(grid, 1, new QLabel("Visited Color:", links), "editVLinkColor",
                "btnSelectVLinkColor", "Visited Link Color");
    grid->setColumnStretch(3, 1);
    c.Stretch();
    c.Put(NewCheck("Use default values", col), "chkboxUseDefaultsOnPage5");
    pages->addWidget(page);
  }
  // Page 6: backgrounds and the way to the advanced settings.
  {
    QGroupBox* page = AddPage(6, {}, {}, &layout);
    QWidget* col = layout->parentWidget();
    Column c(col, layout, scale_);
    auto* colors = c.Put(new QGroupBox("Background Colors", col), "grpBoxBgProp");
    auto* grid = NewGrid(colors, scale_);
    AddColorRow(grid, 0, new QLabel("Page:", colors), "editBgColor", "btnSelectBgColor",
                "Page Background Color");
    AddColorRow(grid, 1, Named(NewCheck("Thumbnails:", colors), "chkboxUseTableBgColor"),
                "editTableBgColor", "btnSelectTableBgColor", "Thumbnails Background Color");
    grid->setColumnStretch(3, 1);
    c.Gap(6);
    auto* files = c.Put(new QGroupBox("Background Options", col), "GroupBox1");
    grid = NewGrid(files, scale_);
    auto* image = Named(new QLineEdit(files), "editBgImage");
    grid->addWidget(LabelFor(image, "Image:", files), 0, 0);
    grid->addWidget(image, 0, 1);
    grid->addWidget(NewBrowse("btnSelectBgImage", "Browse", "Background Image", files), 1, 1,
                    Qt::AlignRight);
    auto* sound = Named(new QLineEdit(files), "editBgSound");
    grid->addWidget(LabelFor(sound, "Sound:", files), 2, 0);
    grid->addWidget(sound, 2, 1);
    grid->addWidget(NewBrowse("btnSelectBgSound", "Browse", "Background Sound", files), 3, 1,
                    Qt::AlignRight);
    c.Gap(8);
    auto* advanced =
        c.Put(NewBrowse("btnAdvancedSettings", "&Advanced Settings", col), nullptr, Qt::AlignLeft);
    advanced->setMinimumSize(Scaled(140, scale_), Scaled(kButtonHeight, scale_));
    c.Stretch();
    c.Put(NewCheck("Use default values", col), "chkboxUseDefaultsOnPage6");
    pages->addWidget(page);
  }
  // Page 7: the run's progress and what follows it.
  {
    QGroupBox* page =
        AddPage(7, "Generate Catalog",
                "You have made all the required selections. To start generating new catalog, click "
                "the 'Finish' button below (notice that there are options left below this page).",
                &layout);
    QWidget* col = layout->parentWidget();
    Column c(col, layout, scale_);
    auto* bar = c.Put(new QProgressBar(col), "ProgressBar1", Qt::AlignLeft);
    bar->setAccessibleName("Progress");
    bar->setTextVisible(false);
    bar->setFixedSize(Scaled(249, scale_), Scaled(17, scale_));
    c.Gap(2);
    // The run's status may be long; it is cut at the column's edge rather than widen the window.
    auto* status = c.Put(new QLabel(col), "lblProgressInfo");
    status->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    status->setAccessibleDescription("Status");
    c.Gap(10);
    c.Put(NewCheck("Launch default Web browser after processing", col),
          "chkBoxLaunchDefaultBrowser");
    c.Gap(2);
    c.Put(NewCheck("Save made settings as new default values", col), "chkboxSaveSettings");
    c.Gap(2);
    c.Put(NewCheck("Exit from wizard after generating catalog", col), "chkBoxExitAfterGenerating");
    c.Stretch();
    pages->addWidget(page);
  }
}

// Wrapped texts take their height from their width, which the pages only know once every
// control is built: the widest control of any page (or the classic width) sets the column of
// them all. Fixing the heights here, rather than leaving them to the layouts, keeps the window
// the same size whichever page is shown.
void TMainDlg::FitWrappedTexts() {
  int width = Scaled(kColumnWidth, scale_);
  for (int page = 1; page <= kPageCount; ++page) {
    auto* column = findChild<QWidget*>(QString("colPage%1").arg(page));
    width = std::max(width, column->minimumSizeHint().width());
  }
  for (int page = 1; page <= kPageCount; ++page) {
    auto* column = findChild<QWidget*>(QString("colPage%1").arg(page));
    column->setFixedWidth(width);
    for (QLabel* label : column->findChildren<QLabel*>())
      if (label->wordWrap()) label->setFixedHeight(label->heightForWidth(width));
  }
}

QPushButton* TMainDlg::AddButton(const char* name, QWidget* parent) {
  auto* button = Named(new QPushButton(parent), name);
  button->setAutoDefault(false);
  button->setMinimumSize(Scaled(kButtonWidth, scale_), Scaled(kButtonHeight, scale_));
  return button;
}

QLayout* TMainDlg::BuildButtonRow() {
  // Buttons that share a slot lie on one spot; only the topmost one the wizard shows is on
  // screen (Binder::BindSlot).
  struct Slot {
    const char* name;
    std::vector<const char*> top_first;
    int gap_after;
  };
  const Slot places[] = {{"slotLeft", {"btnBegin", "btnBack"}, 2},
                         {"slotSecond", {"btnNext"}, 10},
                         {"slotThird", {"btnCancel", "btnClose", "btnFinish"}, 10},
                         {"slotRight", {"btnHelp"}, 0}};
  auto* row = new QHBoxLayout;
  row->setSpacing(0);
  row->addStretch(1);
  for (const Slot& slot : places) {
    auto* place = Named(new QWidget(this), slot.name);
    place->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    auto* stack = new QStackedLayout(place);
    stack->setStackingMode(QStackedLayout::StackAll);
    for (const char* name : slot.top_first) stack->addWidget(AddButton(name, place));
    row->addWidget(place);
    if (slot.gap_after) row->addSpacing(Scaled(slot.gap_after, scale_));
  }
  row->addSpacing(Scaled(3, scale_));  // the row ends a little further in than the pages
  return row;
}

}  // namespace fotoloom
