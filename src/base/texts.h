#pragma once

#include <array>
#include <string_view>

// Every text the window shows, in its exact wording (leading and trailing
// blanks are part of the texts). UTF-8.
namespace ts::text {

using sv = std::string_view;

// Application and about box
constexpr sv kAppTitle = "TS";
constexpr sv kWarningCaption = "ТС";
constexpr sv kMainCaption = "ТРЕНД-СТАНЦИЯ";
constexpr sv kAboutCaption = "О программе";
constexpr sv kAboutLine1 = "Комплекс Съёма Лент";
constexpr sv kAboutLine2 = "КСЛ214.8Н";
constexpr sv kAboutClose = "Закрыть";

// Menu
constexpr sv kMenuPort = "   Выбор Прибора   ";
constexpr sv kMenuMode = "   Режим   ";
constexpr sv kMenuModeDemoActive = "   Режим: ДЕМОНСТРАЦИОННЫЙ   ";
constexpr sv kMenuModeNorm = "Нормальный";
constexpr sv kMenuModeDemo = "Демо";
constexpr sv kMenuHelp = "   Помощь   ";
constexpr sv kMenuHelpAbout = "О программе";

// Device link messages (plain box)
constexpr sv kMsgDeviceNotFound = "   Требуемый Прибор не найден!";
constexpr sv kMsgOpenFailed = "   Не удалось открыть порт Прибора!";
constexpr sv kMsgResetFailed = "   Не удалось сбросить чип FTDI Прибора!";
constexpr sv kMsgBaudFailed = "   Не удалось настроить скорость обмена данными с Прибором!";
constexpr sv kMsgDataFormatFailed =
    "   Не удалось настроить формат передачи данных для связи с Прибором!";
constexpr sv kMsgTimeoutsFailed = "   Не удалось настроить таймауты для связи с Прибором!";
constexpr sv kMsgFlowFailed = "   Не удалось настроить контроль потока данных для Прибора!";
constexpr sv kMsgNoDevices = "   Нет Приборов!";
// On Windows, at start, when the bridge's D2XX library could not be loaded.
constexpr sv kMsgD2xxDriverMissing =
    "   Драйвер моста USB (D2XX) не установлен! Windows ставит его сам при подключении Прибора; "
    "иначе его можно взять с сайта изготовителя моста.";
// Started from the desktop menu, the program could not make or enter its data folder.
constexpr sv kMsgDataFolderFailed = "   Не удалось открыть папку данных программы: ";
constexpr sv kWrongDeviceNumber = " НЕВЕРНЫЙ № ПРИБОРА! ОТКЛЮЧИТЕ ПРИБОР ОТ КОМПЬЮТЕРА! ";

// Settings file messages
constexpr sv kMsgSettingsOpenFailed =
    "  Файл настроек не удалось открыть! Значения всех параметров будут установлены по "
    "умолчанию!";
constexpr sv kMsgSettingsReadFailed =
    "Не удалось прочитать файл настроек! Значения всех параметров будут установлены по "
    "умолчанию!       ";
constexpr sv kMsgSettingsWriteFailed = "Файл настроек не удалось перезаписать!       ";
// On Windows, when a calibration table's path has letters the system's ANSI code page, the
// settings file's encoding, cannot hold: that path is left out of the file.
constexpr sv kMsgTablePathNotSaved =
    "Путь к калибровочной таблице нельзя сохранить в кодировке Windows: переименуйте папку или "
    "файл латинскими буквами!       ";

// Calibration tables: the channel digit goes between the two parts.
constexpr sv kMsgTableFailedBefore = "Файл калибровочной таблицы для канала №";
constexpr sv kMsgTableFailedAfter = " не удалось открыть, либо данные в нем некорректны!       ";
constexpr sv kTableButton = "Таблица...";
constexpr sv kTableButtonHint = "Выбор файла с таблицей калибровки...";
constexpr sv kTableDialogTitle = "Выбор файла с калибровочной таблицей";
constexpr sv kTableDialogFilter = "Файлы таблиц калибровки (*.txt)|*.txt";
constexpr sv kTableDialogDefaultExt = "st";

// Recording messages (plain box)
constexpr sv kMsgResultPrepareFailed = "  Не удалось подготовить файл для сохранения результатов!";
constexpr sv kMsgResultFinishFailed = "  Файл результатов не удалось завершить!";
constexpr sv kMsgResultCloseFailed = "  Файл результатов не удалось закрыть!";
constexpr sv kMsgResultWriteFailed = "  Не удалось записать результаты в файл!";
// A part or the note of a recording cut or running (the window's or trend-record's) was chosen.
constexpr sv kMsgResultFileOfRecording =
    "  Файл принадлежит незавершённой записи и не может быть заменён: выберите другой файл!";

// Channel panels
constexpr std::array<sv, 6> kGroupBoxCH = {"Канал 1",   " Канал 2 ", " Канал 3 ",
                                           " Канал 4 ", " Канал 5 ", " Канал 6 "};
constexpr sv kReadoutInitial = "0.000";
constexpr sv kReadoutHint = "Текущий результат измерения";
constexpr sv kChartEN = "Граф.";
constexpr sv kChartENHint = "Выводить результаты на график";
constexpr sv kFileEN = "Файл";
constexpr sv kFileENHint = "Сохранять результаты в файл";
constexpr sv kCurveColorHint = "Выбор цвета графика";

// Chart area
constexpr sv kChartStop = "Стоп!";
constexpr sv kChartStopHint = "Остановить движение графиков";
constexpr sv kChartAver = "Усреднение";
constexpr sv kChartAverHint = "Усреднять результаты при выводе на графики";
constexpr sv kChartClear = "Очистить";
constexpr sv kChartClearHint = "Очистить данные на графиках";
constexpr sv kBackgroundColorHint = "Выбор цвета фона области построения графиков";
constexpr sv kGridColorHint = "Выбор цвета координатной сетки области построения графиков";
constexpr sv kScaleGroup = " Шкала X ";
constexpr sv kScaleGroupHint = "\"Ширина\" области графиков";
constexpr std::array<sv, 25> kScaleItems = {
    "12сек",  "20сек",  "30сек",   "50сек",   "80сек",  "2мин",    "3мин",   "5мин",  "7мин",
    "10мин",  "15мин",  "20мин",   "30мин",   "40мин",  "60мин",   "90мин",  "2часа", "3часа",
    "5часов", "7часов", "10часов", "15часов", "24часа", "40часов", "70часов"};
constexpr sv kBottomAxisTitle =
    "Время, в соответствие с полем \"Шкала Х\""
    "                                                              ";
constexpr std::array<sv, 6> kSeriesTitles = {"В1", "В2", "В3", "В4", "В5", "В6"};

// Status line
constexpr sv kConnectionLabel = "Соединение с прибором:";
constexpr sv kConnectionYes = "ЕСТЬ";
constexpr sv kConnectionNo = "НЕТ";
// The indicator's hint: what the link carried and lost since the instrument was
// opened, one count a line, each text followed by its number.
constexpr sv kLinkFramesDecoded = "Кадров принято: ";
constexpr sv kLinkFramesRejected = "Кадров отброшено проверкой: ";
constexpr sv kLinkBytesSkipped = "Байтов пропущено при поиске начала кадра: ";
constexpr sv kLinkChipOverruns = "Переполнений буфера чипа USB: ";
constexpr sv kLinkQueueOverflow = "Байтов потеряно в очереди приёма: ";
constexpr sv kLinkReopenings = "Переподключений к прибору: ";

// Recording group box
constexpr sv kFileGroup = " Запись результатов в файл ";
constexpr sv kLabelPeriod = "Период записи:";
constexpr std::array<sv, 19> kRecordChoiceCaptions = {
    "Всё", "0.002с", "0.005с", "0.01c", "0.02с", "0.05с", "0.1с", "0.2с", "0.5с",        "1с",
    "2с",  "5с",     "10с",    "20с",   "50с",   "100с",  "200с", "500с", "По изменению"};
constexpr std::array<sv, 19> kRecordChoiceNames = {
    "RadioB_FileAll",  "RadioB_File0002s", "RadioB_File0005s",   "RadioB_File001s",
    "RadioB_File002s", "RadioB_File005s",  "RadioB_File01s",     "RadioB_File02s",
    "RadioB_File05s",  "RadioB_File1s",    "RadioB_File2s",      "RadioB_File5s",
    "RadioB_File10s",  "RadioB_File20s",   "RadioB_File50s",     "RadioB_File100s",
    "RadioB_File200s", "RadioB_File500s",  "RadioB_FileOnChange"};
constexpr sv kRecordAllHint = "Запись в файл всех получаемых от Прибора результатов";
constexpr sv kRecordOnChangeHint =
    "Запись результатов в файл по изменению значения на любом из каналов";
// Fixed periods: this prefix, the period as in the caption without its last letter, "сек".
constexpr sv kRecordPeriodHintPrefix = "Запиь результатов в файл с периодом ";
constexpr sv kRecordPeriodHintSuffix = "сек";
constexpr sv kOnChangeSens = "Нечувствительность:";
constexpr sv kOnChangeThreshHint = "Порог чувствительности для записи результатов \"По изменению\"";
constexpr sv kButtonFile = "Файл...";
constexpr sv kButtonFileHint = "Выбор файла для записи результатов...";
constexpr sv kButtonStart = "ЗАПИСЬ";
constexpr sv kButtonStartHint = "Начать запись результатов в выбранный файл";
constexpr sv kButtonStop = "СТОП";
constexpr sv kButtonStopHint = "Преркратить запись результатов в файл";
constexpr sv kDataAver = "Средние за период";
constexpr sv kDataAverHint = "Усреднять результаты внутри каждого периода записи данных в файл";
constexpr sv kRecordTimeIdle = "ЗАПИСЬ НЕ ПРОИЗВОДИТСЯ!";
constexpr sv kRecordTimeActivePrefix = "ЗАПИСЬ!  Время записи: ";
constexpr sv kResultFileHint = "Файл для сохранения результатов анализа";
constexpr sv kResultFileNone = "Файл: Не выбран.";
// Where the system names what holds off its sleep and its shutdown.
constexpr sv kRecordingAwakeReason = "Идёт запись результатов в файл";
// Notes that the recording time's hint gathers (and trend-record prints): said once, no box.
constexpr sv kNoteResumed = "Запись возобновлена после прерывания (найдено ";
constexpr sv kNoteResumedFile = "), файл: ";
constexpr sv kNoteResumePending = "Найдена прерванная запись (";
constexpr sv kNoteResumePendingFile =
    "), она будет продолжена, как только прибор начнёт передавать данные, в файле: ";
constexpr sv kNoteResumeDamaged =
    "Сведения о прерванной записи повреждены, запись не возобновлена: ";
constexpr sv kNoteResumeUnusable =
    "Сведения о прерванной записи недоступны для изменения, запись не возобновлена: ";
constexpr sv kNoteResumeFileGone =
    "Файл прерванной записи не найден или недоступен, запись не возобновлена: ";
constexpr sv kNoteResumeTailCut = "Отрезан незавершённый конец файла прерванной записи (байт: ";
constexpr sv kNoteResumeTailCutFile = "): ";
constexpr sv kNoteResumeNoNewFile =
    "Не удалось создать файл для продолжения прерванной записи, запись не возобновлена: ";
constexpr sv kNoteResumeHeld =
    "Другая программа ведёт запись в этот файл, прерванной записью он не считается: ";
constexpr sv kNoteResumeGoesOnNotNoted =
    "Не удалось отметить в файле прерванной записи, где она продолжается: ";
constexpr sv kNoteResumeNotNoted =
    "Не удалось сохранить сведения для продолжения записи после сбоя: ";
constexpr sv kNoteSleepNotHeld =
    "Компьютер может уснуть во время записи: система не приняла запрет сна.";
constexpr sv kSaveDialogTitle = "Выбор файла для сохранения результатов";
constexpr sv kSaveDialogFilter = "Текстовые (*.txt)|*.txt";
constexpr sv kSaveDialogDefaultExt = "txt";
// The file name label: the full caption, the shortened one, and what stands
// for the folders left out and for a cut end.
constexpr sv kResultFileLabel = "Файл: ";
constexpr sv kResultFileLabelShort = " Файл: ";
constexpr sv kResultFileFoldersLeftOut = " .../";
constexpr sv kResultFileCut = "...";

// Result file lines (written in code page 1251)
constexpr sv kResultStarted = " ЗАПИСЬ НАЧАТА";
constexpr sv kResultStopped = " ЗАПИСЬ ОСТАНОВЛЕНА";
// The window's note of a running recording, beside Settings.bin; trend-record's lies beside its
// first result file, named after it with this added.
constexpr sv kWindowResumeNote = "Recording.resume";
constexpr sv kRecorderResumeNoteEnd = ".resume";
// Added to a file whose recording was cut, when the next start finds it.
constexpr sv kResultInterrupted = " ЗАПИСЬ ПРЕРВАНА";
// The lines that tie a cut recording's parts together. A continuing part's third line, after
// its header: "<date> <time> ЗАПИСЬ ВОЗОБНОВЛЕНА, ЧАСТЬ 3, НАЧАЛО: <its first start line's date
// and time>, ФАЙЛ: <its first file's name>". Added after the end line of a part once the next
// one is made: "<date> <time> ЗАПИСЬ ПРОДОЛЖЕНА В ФАЙЛЕ: <that file's name>".
constexpr sv kResultCarriedOnPart = " ЗАПИСЬ ВОЗОБНОВЛЕНА, ЧАСТЬ ";
constexpr sv kResultCarriedOnStart = ", НАЧАЛО: ";
constexpr sv kResultCarriedOnFile = ", ФАЙЛ: ";
constexpr sv kResultGoesOn = " ЗАПИСЬ ПРОДОЛЖЕНА В ФАЙЛЕ: ";
constexpr sv kResultHeaderTime = "ВРЕМЯ";
constexpr sv kResultHeaderChannel = " CH";  // followed by the channel digit

// Looking back at a recording: the main window's menu and the review window
constexpr sv kMenuReview = "   Просмотр   ";
constexpr sv kMenuReviewOpen = "Открыть запись…";
constexpr sv kOpenDialogTitle = "Открыть запись результатов";
constexpr sv kOpenDialogFilter = "Текстовые (*.txt)|*.txt";
constexpr sv kReviewCaption = "Просмотр записи: ";
constexpr sv kReviewChartHint =
    "Колесо мыши: крупнее / мельче; перетаскивание: сдвиг; Shift + перетаскивание: выделение; "
    "правая кнопка: показать участок; Ctrl + колесо или стрелки вверх / вниз: масштаб значений; "
    "Backspace: вписать значения";
constexpr sv kReviewChannelsGroup = " Каналы ";
constexpr sv kReviewShowCH = "Канал ";  // followed by the channel digit
constexpr sv kReviewShowCHHint = "Показать или скрыть кривую канала";
constexpr sv kReviewFollow = "Следить за записью";
constexpr sv kReviewFollowHint = "Показывать конец записи, пока она пишется";
constexpr sv kReviewExportGroup = " Экспорт ";
constexpr sv kReviewEveryLabel = "Строка CSV:";
constexpr std::array<sv, 6> kReviewEveryItems = {"каждая запись", "на 1 с",    "на 10 с",
                                                 "на 1 мин",      "на 10 мин", "на 1 час"};
constexpr sv kReviewEveryHint = "Каждая запись, или одна строка со средними на каждые S секунд";
constexpr sv kReviewExportCsv = "CSV...";
constexpr sv kReviewExportCsvHint = "Сохранить выделенный участок (или всю запись) в файл CSV";
constexpr sv kReviewExportPng = "PNG...";
constexpr sv kReviewExportPngHint = "Сохранить видимый график в файл PNG";
constexpr sv kReviewScrollHint = "Сдвиг по записи";
constexpr sv kCsvDialogTitle = "Сохранить в файл CSV";
constexpr sv kCsvDialogFilter = "Файлы CSV (*.csv)|*.csv";
constexpr sv kCsvDialogDefaultExt = "csv";
constexpr sv kPngDialogTitle = "Сохранить график";
constexpr sv kPngDialogFilter = "Рисунки PNG (*.png)|*.png";
constexpr sv kPngDialogDefaultExt = "png";
constexpr sv kReviewCursorNone = "Курсор: наведите мышь на график";
constexpr sv kReviewCursor = "Курсор: ";
constexpr sv kReviewCursorInGap = "    перерыв в записи: ";  // followed by its two ends
constexpr sv kReviewSelectionNone = "Выделение: Shift + перетаскивание по графику";
constexpr sv kReviewSelection = "Выделено: ";
constexpr sv kReviewChannelLine = "Канал ";
constexpr sv kReviewCount = ": записей ";
constexpr sv kReviewMin = ", мин ";
constexpr sv kReviewMax = ", макс ";
constexpr sv kReviewMean = ", среднее ";
constexpr sv kReviewAt = " в ";
constexpr sv kReviewStillReading = " (файл ещё читается)";
constexpr sv kReviewReading = "Чтение файла: ";
constexpr sv kReviewLength = "Длительность записи:";
constexpr sv kReviewFollowing = " (слежение)";
constexpr sv kReviewFileShrank = " (файл стал короче или записан заново: прочитан с начала)";
constexpr sv kReviewFileReplaced = " (файл заменён другим: прочитан с начала)";
constexpr sv kReviewFileGone = " (файл удалён: показано прочитанное)";
constexpr sv kReviewDamaged = "Нечитаемых строк: ";
constexpr sv kReviewDamagedFirst = ", первая — строка ";
constexpr sv kReviewDamagedFile = " файла ";
// A part a cut recording goes on in that cannot be read: the recording is shown up to it.
constexpr sv kReviewPartMissing = "Не найдена часть ";
constexpr sv kReviewPartNotThere = " записи: нет файла ";
constexpr sv kReviewPartNotPart = " записи: файл не является её частью: ";
constexpr sv kMsgReviewOpenFailed = "  Не удалось открыть запись: ";
// After kMsgReviewOpenFailed and the file's path.
constexpr sv kReviewUnreadable = " — файл не найден или не читается";
constexpr sv kReviewNoResultFile = " — это не файл результатов (нет строки начала и заголовка)";
constexpr sv kMsgReviewExportFailed = "  Не удалось записать файл: ";
constexpr sv kMsgReviewExportOverRecording =
    "  Файл записи нельзя заменить экспортом: выберите другое имя!";

}  // namespace ts::text
