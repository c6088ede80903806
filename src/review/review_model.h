#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "chart/chart_plot.h"
#include "chart/chart_settings.h"
#include "review/review_form.h"
#include "review/review_index.h"

namespace ts {

// What the review asks of its window beyond the presentation model.
class ReviewUi {
public:
    enum class ExportKind { Csv, Png };
    virtual ~ReviewUi() = default;
    virtual void ShowMessage(std::string_view text) = 0;
    // Save dialog for an export, opened on `suggested` (the recording's folder, its name with the
    // export's extension); asks before replacing an existing file. Nothing when cancelled.
    virtual std::optional<std::string> ChooseExportFile(ExportKind kind,
                                                        const std::string& suggested) = 0;
    // Writes the chart as the window shows it to a PNG file; false when it could not.
    virtual bool WriteChartPicture(const std::string& path) = 0;
};

enum class ReviewKey {
    Left,
    Right,
    PageBack,
    PageForward,
    Home,
    End,
    ZoomIn,
    ZoomOut,
    Escape,
    ValuesIn,   // the vertical axis closer, around its middle
    ValuesOut,  // and further
    FitValues   // every channel fitted to what is shown again
};

// The values of one channel from the plot's bottom to its top.
struct ValueRange {
    double low = 0, high = 1;
};

// A time line of the chart: where it lies across the plot (0 left, 1 right), and its labels.
struct TimeTick {
    double at = 0;
    std::array<char, 24> clock{};    // "17:05:33", "17:05:33.250" or "07.12 17:00:00"
    std::array<char, 24> elapsed{};  // "+0:00:30", hours however many
};

// Looking back at one recording: the span shown, how the user moves it, the cursor, the
// selection, the export, and following a file that is being written. The windows only mirror
// `form()`, paint what the drawing members hand them, and forward their events with positions
// as fractions of the plot's width.
class ReviewModel {
public:
    static constexpr int kSpans = 25;
    static constexpr std::array<std::int64_t, kSpans> kSpanSeconds = {
        12,   20,   30,   50,   80,    120,   180,   300,   420,   600,   900,    1200,  1800,
        2400, 3600, 5400, 7200, 10800, 18000, 25200, 36000, 54000, 86400, 144000, 252000};
    // The narrowest span: a handful of records of the fastest recording.
    static constexpr std::int64_t kMinSpanNs = 1'000'000;
    static constexpr int kScrollUnits = 10000;
    static constexpr int kMaxTicks = 16;
    static constexpr int kMaxValueTicks = 12;
    // The "one row per S seconds" choices; 0: every record.
    static constexpr std::array<int, 6> kEverySeconds = {0, 1, 10, 60, 600, 3600};

    explicit ReviewModel(ReviewUi& ui);
    ~ReviewModel();

    // What the window mirrors; it puts a control's state here before it calls the handler.
    ReviewForm& form() { return form_; }
    const ReviewForm& form() const { return form_; }

    // Opens `path` and the files that carried it on, and shows the whole of it. An empty text
    // when it opened, else why not, in the window's words.
    std::string Open(const std::string& path, const ChartColors& colors,
                     review::DateOrder dateOrder);
    // What the pass has read since the last tick: the end grows, the progress and damaged
    // lines show, and a followed recording keeps its end in sight.
    // True when the picture may have changed: the window draws the chart again only then
    // (and mirrors the labels at every tick).
    bool Tick();
    const review::RecordingIndex& Index() const { return *index_; }

    // The span shown, on the recording's timeline.
    std::int64_t ViewFromNs() const { return viewFrom_; }
    std::int64_t ViewToNs() const { return viewTo_; }

    // Mouse and keys, positions as fractions of the plot's width.
    void Wheel(int notches, double at);  // notches > 0: closer
    // The vertical axis closer (notches > 0) or further around a height of the plot (0 its
    // bottom, 1 its top): the values there stay where they are.
    void ValueWheel(int notches, double height);
    void Pan(double fraction);  // a drag: the content follows the mouse by this much
    void ZoomToStretch(double from, double to);
    void Select(double from, double to);
    void MoveCursor(double at);
    void HideCursor();
    void Key(ReviewKey key);

    // Handlers of the window's controls, run after the window put the control's state into form.
    void SpanClick(int item);
    void ChannelClick(int channel);  // 1..6
    void FollowClick();
    void ScrollChanged();
    void ExportCsvClick();
    void ExportPngClick();

    // Drawing. Per column and channel of the span shown (column by column, channel 1 first);
    // the storage is kept, so a redraw allocates only when the plot grows wider. Each channel
    // is fitted to its own values in the span, as the main window's chart gives each its own
    // full scale: a channel at 700 does not flatten one at 0.5.
    std::span<const review::ColumnValue> Columns(int columns);
    // Where the curves go in a chart of that size: room on the left for the values, below for
    // the two lines of the times; lengths at 96 dpi scaled to `dpi`.
    static PlotArea PlotAreaOf(int width, int height, int dpi = 96);
    // Channel 1..6's values from the plot's bottom to its top, after the last Columns and the
    // vertical zoom.
    ValueRange RangeOf(int channel) const;
    // Where a value of a channel lies up the plot: 0 at its bottom, 1 at its top.
    double HeightOf(int channel, double value) const;
    // The channel whose values the vertical axis is labelled with: the first one shown; 0 when
    // none is.
    int AxisChannel() const;
    // Whether the vertical axis shows each channel's values as fitted, unzoomed.
    bool ValuesFitted() const;
    // Round values of the axis channel across the plot for the horizontal lines; returns how
    // many.
    int ValueTicks(std::span<double, kMaxValueTicks> out) const;
    // A value of the vertical axis, '.' as the decimal point; returns the length.
    static std::size_t FormatAxisValue(double value, char* out);
    // The time lines of the span shown, into `out`; returns how many.
    int TimeTicks(std::span<TimeTick, kMaxTicks> out) const;
    // The gaps of a cut-and-resumed recording, as fractions of the plot (may lie outside 0..1).
    const std::vector<review::Gap>& Gaps() const { return gaps_; }
    double FractionOf(std::int64_t ns) const;
    // Whether a curve must not be joined from column `a` to column `b` of `columns`: a gap of
    // the recording lies between them.
    bool GapBetween(int a, int b, int columns) const;
    std::optional<double> CursorAt() const;
    bool HasSelection() const { return selectionTo_ > selectionFrom_; }
    std::int64_t SelectionFromNs() const { return selectionFrom_; }
    std::int64_t SelectionToNs() const { return selectionTo_; }
    bool ChannelShown(int channel) const;

private:
    ReviewForm form_;
    std::int64_t EndNs() const;
    std::int64_t NsAt(double fraction) const;
    // Puts the span at [from, to), kept inside the recording and within the widest and the
    // narrowest span, and mirrors it to the scroll bar and the span buttons.
    void SetView(std::int64_t from, std::int64_t to);
    void ZoomAround(double span, double at);
    void ShowSpan();
    void ShowCursor();
    const review::Gap* GapAt(std::int64_t ns) const;
    void ShowSelection();
    void ShowProgress();
    // A file that changed under the window: said, and read again from its start unless it
    // was removed.
    void NoticeChange(review::FileChange change);
    // Shows the whole of what the index holds, no cursor, no selection.
    void ShowWhole();
    std::string SuggestedExport(std::string_view extension) const;

    ReviewUi& ui_;
    std::unique_ptr<review::RecordingIndex> index_;
    std::string path_;
    review::DateOrder dateOrder_ = review::DateOrder::DayMonthYear;
    std::string_view changeNote_;  // what became of the file, after the length
    std::int64_t viewFrom_ = 0, viewTo_ = 1;
    std::int64_t knownEnd_ = 0;
    std::uint64_t knownBytes_ = 0, knownTotal_ = 0;
    bool knownComplete_ = false;
    // Where the mouse is, as a fraction of the plot: the readout follows it whatever moves the
    // span under it.
    std::optional<double> cursorAt_;
    std::int64_t selectionFrom_ = 0, selectionTo_ = 0;
    std::vector<review::ColumnValue> columns_;
    std::vector<review::Gap> gaps_;
    std::array<ValueRange, kChannels> fitted_{};
    // The stretch of the fitted ranges the plot shows, as fractions of them: 0..1 unzoomed.
    double valuesFrom_ = 0, valuesWidth_ = 1;
};

// Fits `path`'s last component into a window caption.
std::string ReviewCaption(std::string_view path);

}  // namespace ts
