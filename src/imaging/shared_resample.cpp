#include "imaging/shared_resample.h"

#include "imaging/contributors.h"
#include "imaging/oriented_source.h"

namespace fotoloom {

struct TSharedResample::Planned {
  std::int32_t width;
  std::int32_t height;
  TTapTable columns;  // horizontal pass
  TDibGraphic work;
};

TSharedResample::TSharedResample(const TDibGraphic& source, int orientation, TResizeFilter filter,
                                 std::optional<TImageFormat> format)
    : source_(&source),
      orientation_(orientation),
      filter_(filter),
      format_(format.value_or(source.Format())),
      palette_(format_ == source.Format() ? source.Palette() : TPalette{}) {
  const bool turned = orientation >= 5 && orientation <= 8;
  source_width_ = turned ? source.Height() : source.Width();
  source_height_ = turned ? source.Width() : source.Height();
  xdpi_ = turned ? source.YDpi() : source.XDpi();
  ydpi_ = turned ? source.XDpi() : source.YDpi();
}

TSharedResample::~TSharedResample() = default;

std::size_t TSharedResample::AddSize(std::int32_t width, std::int32_t height) {
  if (width <= 1 || height <= 1) throw EPixwellError("Destination graphic too small");
  auto size = std::make_unique<Planned>();
  size->width = width;
  size->height = height;
  size->work.NewImage(width, source_height_, ifColor16M, nullptr, 0, 0);
  size->columns = MakeTapTable(BuildContributors(
      width, source_width_, ResampleScale(width, source_width_), FilterKernel(filter_)));
  planned_.push_back(std::move(size));
  return planned_.size() - 1;
}

void TSharedResample::RunRows() {
  std::vector<TRowPass> passes;
  for (const auto& size : planned_) passes.push_back({&size->columns, &size->work});
  if (!passes.empty()) ResampleRowsOfEach(TOrientedSource(*source_, orientation_), passes);
  source_ = nullptr;
}

void TSharedResample::Finish(std::size_t size, TDibGraphic& destination) {
  Planned& planned = *planned_[size];
  destination.NewImage(planned.width, planned.height, format_,
                       palette_.empty() ? nullptr : &palette_, xdpi_, ydpi_);
  const TTapTable rows = MakeTapTable(
      BuildContributors(planned.height, source_height_,
                        ResampleScale(planned.height, source_height_), FilterKernel(filter_)));
  ResampleColumns(planned.work, rows, destination);
  planned.work.Clear();
}

}  // namespace fotoloom
