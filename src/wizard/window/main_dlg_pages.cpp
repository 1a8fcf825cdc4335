// The wizard window's widgets: seven pages on one spot, the separator and the button row.
// Positions follow the window's fixed 500 x 367 client area; texts wrap inside one column
// to the right of each page's side picture, and a column stacks its widgets top to bottom.
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>

#include "wizard/window/main_dlg.h"
#include "wizard/window/side_art.h"
#include "wizard/window/widgets.h"

namespace fotoloom {
namespace {

constexpr int kColumnX = 192;      // left edge of a page's controls, inside its group box
constexpr int kColumnWidth = 292;  // to the page's right margin
constexpr int kHeadingX = 216;
constexpr int kHeadingY = 24;
constexpr int kEditHeight = 21;
constexpr int kUseDefaultsY = 284;  // "Use default values" sits at the bottom of its page

// Stacks widgets down one column of a page.
class Column {
 public:
  Column(QWidget* page, int y) : page_(page), y_(y) {}

  QLabel* Text(const char* name, const QString& text, bool navy = false) {
    auto* label = new QLabel(text, page_);
    label->setObjectName(name);
    label->setWordWrap(true);
    if (navy) label->setStyleSheet("color: #000080;");
    const int height = label->heightForWidth(kColumnWidth);
    label->setGeometry(kColumnX, y_, kColumnWidth, height);
    y_ += height + 2;
    return label;
  }

  template <class W>
  W* Put(W* widget, const char* name, int height, int width = kColumnWidth, int x_offset = 0) {
    if (name) widget->setObjectName(name);
    widget->setGeometry(kColumnX + x_offset, y_, width, height);
    y_ += height;
    return widget;
  }

  void Gap(int pixels) { y_ += pixels; }
  void MoveTo(int y) { y_ = y; }
  int y() const { return y_; }

  void Separator() {
    auto* line = new QFrame(page_);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    line->setGeometry(kColumnX, y_ + 3, kColumnWidth, 2);
    y_ += 8;
  }

 private:
  QWidget* page_;
  int y_;
};

QLineEdit* NewEdit(QWidget* parent) { return new QLineEdit(parent); }

QCheckBox* NewCheck(const QString& caption, QWidget* parent) {
  return new QCheckBox(caption, parent);
}

QPushButton* NewBrowse(const char* name, const QString& caption, QWidget* parent) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(name);
  button->setAutoDefault(false);
  return button;
}

// A captioned group whose rows are a label, a swatch and a "Browse" button.
void AddColorRow(QGridLayout* grid, int row, QWidget* label, const char* swatch,
                 const char* button) {
  auto* box = grid->parentWidget();
  auto* edit = new SwatchEdit(box);
  edit->setObjectName(swatch);
  grid->addWidget(label, row, 0);
  grid->addWidget(edit, row, 1);
  grid->addWidget(NewBrowse(button, "Browse", box), row, 2);
}

QGridLayout* NewGrid(QGroupBox* box) {
  auto* grid = new QGridLayout(box);
  grid->setContentsMargins(10, 6, 10, 6);
  grid->setHorizontalSpacing(8);
  grid->setVerticalSpacing(4);
  return grid;
}

QCheckBox* UseDefaults(const char* name, QWidget* page) {
  auto* box = NewCheck("Use default values", page);
  box->setObjectName(name);
  box->setGeometry(kColumnX, kUseDefaultsY, kColumnWidth, 20);
  return box;
}

}  // namespace

QGroupBox* TMainDlg::AddPage(int page, const QString& heading, const QString& intro) {
  auto* box = new QGroupBox(this);
  box->setObjectName(QString("gboxPage%1").arg(page));
  box->setGeometry(6, 2, 488, 312);
  box->setStyleSheet(QString("QGroupBox#gboxPage%1 { border: none; }").arg(page));
  auto* picture = new QLabel(box);
  picture->setObjectName(QString("imgPage%1").arg(page));
  picture->setGeometry(16, 16, 169, 289);
  picture->setScaledContents(true);
  picture->setPixmap(SidePicture(page));
  picture->setFrameShape(QFrame::Panel);
  picture->setFrameShadow(QFrame::Sunken);
  picture->setLineWidth(1);
  if (!heading.isEmpty()) {
    auto* title = new QLabel(heading, box);
    title->setObjectName(QString("stxtHeading%1").arg(page));
    QFont font = title->font();
    font.setPixelSize(18);
    font.setBold(true);
    font.setUnderline(true);
    title->setFont(font);
    title->setGeometry(kHeadingX, kHeadingY, kColumnWidth - (kHeadingX - kColumnX), 24);
  }
  content_top_ = 16;
  if (!intro.isEmpty()) {
    Column column(box, 58);
    column.Text(QString("stxtIntro%1").arg(page).toLatin1().constData(), intro, true);
    content_top_ = column.y() + 14;
  }
  return box;
}

void TMainDlg::BuildPages() {
  // Page 1: catalog file and image directory.
  {
    QGroupBox* page =
        AddPage(1, "Welcome!",
                "This wizard allows you to create a catalog of your image files. Created image "
                "catalogs will be saved as HTML files, so they can be viewed with all common Web "
                "browsers. ");
    Column c(page, content_top_);
    c.Text("stxtAlbumFileName", "Enter here the file name for the new catalog file:");
    auto* file_name = c.Put(NewEdit(page), "editAlbumFileName", kEditHeight);
    file_name->installEventFilter(this);
    c.Gap(12);
    c.Text("stxtAlbumDirectory",
           "Enter here the full directory path where your source image files are stored. The "
           "New catalog file will also be saved in this directory:");
    c.Put(NewEdit(page), "editAlbumDirectory", kEditHeight);
    c.Gap(5);
    c.Put(NewBrowse("btnBrowseFolders", "&Browse", page), nullptr, 25, 75, kColumnWidth - 75);
  }
  // Page 2: title, header and footer.
  {
    QGroupBox* page = AddPage(
        2, "Catalog Information",
        "Options allow you to customize the catalog title the header and the footer "
        "information. The title is displayed in browser title bar and the header is displayed "
        "at the beginning of the Web page above thumbnails. Footer is added below each "
        "generated page.");
    Column c(page, content_top_);
    c.Text("stxtAlbumName", "Enter here the title for your new catalog:");
    c.Put(NewEdit(page), "editAlbumName", kEditHeight);
    c.Gap(8);
    c.Text("stxtAlbumHeader", "Enter here the header for your new catalog:");
    c.Put(NewEdit(page), "editAlbumHeader", kEditHeight);
    c.Gap(8);
    c.Text("stxtAlbumFooter", "Enter here the footer text for your HTML pages:");
    c.Put(NewEdit(page), "editAlbumFooter", kEditHeight);
  }
  // Page 3: layout.
  {
    QGroupBox* page =
        AddPage(3, "Catalog Layout",
                "These options allow you design the basic layout of your new catalog. ");
    Column c(page, content_top_);
    c.Text("stxtThumbGeometryW", "Maximum size of thumbnail (width * height pixels):");
    const int row = c.y();
    c.Put(new NumberSpin(25, 640, page), "seditThumbGeometryW", kEditHeight, 64);
    c.MoveTo(row);
    auto* times = c.Put(new QLabel("x", page), "stxtThumbGeometryX", kEditHeight, 14, 70);
    times->setAlignment(Qt::AlignCenter);
    c.MoveTo(row);
    c.Put(new NumberSpin(25, 640, page), "seditThumbGeometryH", kEditHeight, 64, 88);
    c.Gap(4);
    c.Separator();
    c.Text("stxtThumbsPerRow", "Enter the number of thumbnails on each row:");
    c.Put(new NumberSpin(1, 25, page), "seditThumbsPerRow", kEditHeight, 64);
    c.Gap(4);
    c.Separator();
    c.Put(NewCheck("Enable support for multiple catalog files", page), "chkboxCreateMultipleFiles",
          20);
    c.Text("stxtMaxRowsPerFile", "Enter the number of thumbnail rows on each file:");
    c.Put(new NumberSpin(1, 50000, page), "seditThumbRowsPerFile", kEditHeight, 64);
    UseDefaults("chkboxUseDefaultsOnPage3", page);
  }
  // Page 4: file details and sorting.
  {
    QGroupBox* page = AddPage(4, {}, {});
    Column c(page, 16);
    auto* details =
        c.Put(new QGroupBox("Show Following File Details", page), "grpBoxFileDetails", 72);
    auto* grid = NewGrid(details);
    const char* names[] = {"chkboxShowFileName", "chkboxShowFileExt", "chkboxShowFileTime",
                           "chkboxShowFileSize"};
    const char* captions[] = {"File Name", "File Extension", "File Date", "File Size"};
    for (int i = 0; i < 4; ++i) {
      auto* box = NewCheck(captions[i], details);
      box->setObjectName(names[i]);
      grid->addWidget(box, i / 2, i % 2);
    }
    c.Gap(10);
    const int row = c.y();
    c.Put(new RadioGroupBox("Sorting Criteria", {"Sort by Name", "Sort by Date", "Sort by Size"},
                            page),
          "rgrpSortBy", 96, 134);
    c.MoveTo(row);
    c.Put(new RadioGroupBox("Sorting Method", {"Ascending", "Descending"}, page), "rgrpSortMethod",
          96, 134, kColumnWidth - 134);
    UseDefaults("chkboxUseDefaultsOnPage4", page);
  }
  // Page 5: text and link colours.
  {
    QGroupBox* page = AddPage(5, {}, {});
    Column c(page, 16);
    auto* text = c.Put(new QGroupBox("Text Properties", page), "grpBoxTextProp", 162);
    auto* grid = NewGrid(text);
    AddColorRow(grid, 0, new QLabel("Header Color:", text), "editHeaderColor",
                "btnSelectHeaderColor");
    AddColorRow(grid, 1, new QLabel("Text Color:", text), "editTextColor", "btnSelectTextColor");
    grid->addWidget(new QLabel("Font:", text), 2, 0);
    auto* font = new QLineEdit(text);
    font->setObjectName("editAlbumFont");
    grid->addWidget(font, 2, 1, 1, 3);
    grid->addWidget(new QLabel("Header Size:", text), 3, 0);
    auto* size = new QComboBox(text);
    size->setObjectName("cmbHeaderSize");
    size->addItems({"H1", "H2", "H3", "H4"});
    grid->addWidget(size, 3, 1, 1, 2, Qt::AlignLeft);
    grid->addWidget(new QLabel("Font Size:", text), 4, 0);
    auto* font_size = new NumberSpin(1, 5, text);
    font_size->setObjectName("seditFontSize");
    grid->addWidget(font_size, 4, 1, 1, 2, Qt::AlignLeft);
    grid->setColumnStretch(3, 1);
    c.Gap(10);
    auto* links = c.Put(new QGroupBox("Link Properties", page), "grpBoxLinkProp", 80);
    grid = NewGrid(links);
    AddColorRow(grid, 0, new QLabel("Color:", links), "editLinkColor", "btnSelectLinkColor");
    AddColorRow(grid, 1, new QLabel("Visited Color:", links), "editVLinkColor",
                "btnSelectVLinkColor");
    grid->setColumnStretch(3, 1);
    UseDefaults("chkboxUseDefaultsOnPage5", page);
  }
  // Page 6: backgrounds and the way to the advanced settings.
  {
    QGroupBox* page = AddPage(6, {}, {});
    Column c(page, 16);
    auto* colors = c.Put(new QGroupBox("Background Colors", page), "grpBoxBgProp", 80);
    auto* grid = NewGrid(colors);
    AddColorRow(grid, 0, new QLabel("Page:", colors), "editBgColor", "btnSelectBgColor");
    auto* table = NewCheck("Thumbnails:", colors);
    table->setObjectName("chkboxUseTableBgColor");
    AddColorRow(grid, 1, table, "editTableBgColor", "btnSelectTableBgColor");
    grid->setColumnStretch(3, 1);
    c.Gap(8);
    auto* files = c.Put(new QGroupBox("Background Options", page), "GroupBox1", 142);
    grid = NewGrid(files);
    grid->addWidget(new QLabel("Image:", files), 0, 0);
    auto* image = new QLineEdit(files);
    image->setObjectName("editBgImage");
    grid->addWidget(image, 0, 1);
    grid->addWidget(NewBrowse("btnSelectBgImage", "Browse", files), 1, 1, Qt::AlignRight);
    grid->addWidget(new QLabel("Sound:", files), 2, 0);
    auto* sound = new QLineEdit(files);
    sound->setObjectName("editBgSound");
    grid->addWidget(sound, 2, 1);
    grid->addWidget(NewBrowse("btnSelectBgSound", "Browse", files), 3, 1, Qt::AlignRight);
    c.Gap(10);
    c.Put(NewBrowse("btnAdvancedSettings", "&Advanced Settings", page), nullptr, 25, 140);
    UseDefaults("chkboxUseDefaultsOnPage6", page);
  }
  // Page 7: the run's progress and what follows it.
  {
    QGroupBox* page =
        AddPage(7, "Generate Catalog",
                "You have made all the required selections. To start generating new catalog, click "
                "the 'Finish' button below (notice that there are options left below this page).");
    Column c(page, content_top_ + 10);
    auto* bar = c.Put(new QProgressBar(page), "ProgressBar1", 17, 249);
    bar->setTextVisible(false);
    c.Gap(4);
    c.Put(new QLabel(page), "lblProgressInfo", 18);
    c.Gap(12);
    c.Put(NewCheck("Launch default Web browser after processing", page),
          "chkBoxLaunchDefaultBrowser", 20);
    c.Gap(4);
    c.Put(NewCheck("Save made settings as new default values", page), "chkboxSaveSettings", 20);
    c.Gap(4);
    c.Put(NewCheck("Exit from wizard after generating catalog", page), "chkBoxExitAfterGenerating",
          20);
  }
}

QPushButton* TMainDlg::AddButton(const char* name, QWidget* parent) {
  auto* button = new QPushButton(parent);
  button->setObjectName(name);
  button->setAutoDefault(false);
  return button;
}

void TMainDlg::BuildButtonRow() {
  auto* line = new QFrame(this);
  line->setObjectName("bvlSeparator");
  line->setFrameShape(QFrame::HLine);
  line->setFrameShadow(QFrame::Sunken);
  line->setGeometry(6, 313, 488, 2);

  // Within a slot the later button lies on top, so the topmost one is made last.
  struct Slot {
    int x;
    std::vector<const char*> bottom_to_top;
  };
  const Slot row[] = {{109, {"btnBack", "btnBegin"}},
                      {201, {"btnNext"}},
                      {301, {"btnFinish", "btnClose", "btnCancel"}},
                      {401, {"btnHelp"}}};
  for (const Slot& slot : row)
    for (const char* name : slot.bottom_to_top) {
      QPushButton* button = AddButton(name, this);
      button->setGeometry(slot.x, 332, 90, 25);
      button->raise();
    }
}

}  // namespace fotoloom
