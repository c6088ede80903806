#include "app/station.h"

#include "base/texts.h"
#include "platform/keep_awake.h"

namespace ts {

Station::Station(Driver& driver, Platform& platform, Ui& ui)
    : platform_(platform),
      ui_(ui),
      link_(driver, platform, ui, form_),
      measurement_(platform, ui, form_),
      chart_(ui, form_),
      demo_(form_),
      recording_(platform, ui, form_, *this),
      settings_(platform, ui, {form_, link_, measurement_.Tables(), chart_}) {
    link_.Connect(measurement_, *this);
    measurement_.Connect(chart_, recording_);
}

Station::~Station() = default;

void Station::Construct() {
    settings_.Load();
    // A recording the last run did not end itself goes on, with its choices, into a new file.
    recording_.Resume().KeepNoteAt(settings_.Directory() + "/" +
                                   std::string(text::kWindowResumeNote));
    recording_.Resume().OnStart();
    RefreshStatus();
    chart_.Redraw();
    link_.Open(true);
    link_.ShowStatistics();
    // Whether or not the open succeeded: a device that stays silent is
    // re-enumerated by the first supervision tick.
    link_.AwaitStream();
}

void Station::Timer_25HzTimer() {
    link_.Poll();
    recording_.Resume().OnTick(recording_);
    link_.WatchSilence();
    RefreshStatus();
    if (link_.StatisticsDue()) link_.ShowStatistics();
}

void Station::TimerPortTimer() { link_.Supervise(); }

void Station::TimerDemoTimer() {
    if (demo_.Running()) measurement_.TakeSample(demo_.Next());
}

void Station::FormClose() {
    link_.Close();
    // A recording interrupted by the close keeps no stop line, and the computer may sleep again.
    // Its note stays: a close by the end of the session (an update's restart) is a cut, and the
    // next start carries the recording on, and so does the restart that Windows makes after an
    // update's.
    platform_.Awake().ReleaseKeepingRestart();
    recording_.Close();
    settings_.Save();
}

void Station::RefreshStatus() {
    link_.ShowConnection();
    recording_.RefreshButtons();
    chart_.ShowColors();
    demo_.ShowMode();
    recording_.RefreshOptions();
}

void Station::ResetMeasurement() {
    chart_.ClearAll();
    measurement_.Reset();
    recording_.RestartTime();
    chart_.EmptySeries();
}

void Station::ButtonChartClearClick() {
    if (const int scale = chart_.ClearSelected()) measurement_.RestartChartPeriod(scale);
}

void Station::PanelColorClick(int swatch) {
    if (!chart_.ChooseColor(swatch)) return;
    chart_.Redraw();
    RefreshStatus();
    settings_.Save();
}

void Station::EnterMode(bool demo) {
    // The first sample of the new source only synchronises the time count, and the
    // measurement starts again from zero.
    measurement_.StartAgainFromNextSample();
    demo_.Enter(demo);
    link_.PassSamples(!demo);
    ResetMeasurement();
    chart_.Redraw();
    RefreshStatus();
}

void Station::WrongInstrument() {
    // Another instrument's frames keep coming: no demonstration over them.
    demo_.Offer(false);
    demo_.Stop();
    link_.PassSamples(true);
    ResetMeasurement();
}

void Station::LinkSilent() {
    demo_.Offer(true);
    chart_.Redraw();
    RefreshStatus();
}

void Station::LoadTable(int channel, const std::string& path) {
    measurement_.Tables().SetPath(channel, path);
    measurement_.Tables().Load(channel);
}

void Station::M_Menu_Review_OpenClick() {
    // The review reads the file on its own; the live window and a recording go on untouched.
    if (const std::optional<std::string> path = ui_.ChooseRecordingFile()) ui_.OpenReview(*path);
}

}  // namespace ts
