#include "shell/splash_window.h"

#include "host/setting_names.h"
#include "shell/key_codes.h"
#include "shell/project_links.h"
#include "shell/text_fit.h"
#include "shell/window_pictures.h"
#include "shell/window_scale.h"
#include "sound/sound_output.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QFontInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QScreen>

namespace q50 {

namespace {

constexpr int kWidth = 460;
constexpr int kHeight = 420;
// Colours with red in the lowest byte, as the window's design gives them.
QColor colour_of(unsigned c) {
    return QColor(int(c & 0xff), int((c >> 8) & 0xff), int(c >> 16));
}
const QColor kDarkBlue = colour_of(5384456);
const QColor kLinkBlue = colour_of(9720344);

QFont arial(bool bold, bool underline = false) {
    QFont f(QStringLiteral("Arial"));
    f.setPixelSize(11);
    f.setBold(bold);
    f.setUnderline(underline);
    return f;
}

QLabel* label(QWidget* parent, const QString& text, int x, int y, int w, int h) {
    auto* l = new QLabel(text, parent);
    l->setGeometry(x, y, w, h);
    return l;
}

void set_text_colour(QWidget* w, const QColor& c) {
    QPalette p = w->palette();
    p.setColor(QPalette::WindowText, c);
    p.setColor(QPalette::Text, c);
    p.setColor(QPalette::ButtonText, c);
    w->setPalette(p);
}

QLabel* picture_button(QWidget* parent, const QString& picture, const QString& fallback, int x,
                       int y) {
    auto* b = new QLabel(parent);
    b->setGeometry(x, y, 107, 30);
    const QPixmap pm = window_picture(picture, parent->devicePixelRatioF());
    if (!pm.isNull()) {
        b->setPixmap(pm);
        b->setProperty(kPictureName, picture);
    } else {
        b->setText(fallback);
        b->setAlignment(Qt::AlignCenter);
        b->setFrameShape(QFrame::Box);
    }
    return b;
}

} // namespace

TSplashForm::TSplashForm(SettingsStore& store, SplashHost& host, QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::MSWindowsFixedSizeDialogHint),
      store_(store), host_(host) {
    open_url = [](const QUrl& u) { QDesktopServices::openUrl(u); };
    setWindowTitle(QStringLiteral("About this game..."));
    setFixedSize(kWidth, kHeight);
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::white);
    setPalette(p);
    setAutoFillBackground(true);
    background_ = window_picture(QStringLiteral("splash_background.png"), devicePixelRatioF());

    la_game_title = label(this, {}, 0, 12, kWidth, 15);
    la_version = label(this, {}, 0, 28, kWidth, 15);
    for (QLabel* l : {la_game_title, la_version}) {
        l->setFont(arial(true));
        l->setAlignment(Qt::AlignCenter);
        set_text_colour(l, Qt::white);
    }
    im_box_picture = label(this, {}, 0, 56, kWidth, 160);
    im_box_picture->setAlignment(Qt::AlignCenter);
    im_box_picture->setPixmap(
        window_picture(QStringLiteral("splash_box.png"), devicePixelRatioF()));
    im_box_picture->setProperty(kPictureName, QStringLiteral("splash_box.png"));
    la_release_date = label(this, {}, 0, 236, kWidth, 15);
    la_release_date->setFont(arial(false));
    la_release_date->setAlignment(Qt::AlignCenter);
    set_text_colour(la_release_date, Qt::black);

    la_website_1 = label(this, QStringLiteral("website:"), 118, 259, 56, 15);
    la_website_2 = label(this, website_text(), 174, 259, 220, 15);
    la_email_1 = label(this, QStringLiteral("email:"), 118, 282, 56, 15);
    la_email_2 = label(this, email_text(), 174, 282, 220, 15);
    for (QLabel* l : {la_website_1, la_email_1}) l->setFont(arial(false));
    for (QLabel* l : {la_website_2, la_email_2}) {
        l->setFont(arial(true, true));
        set_text_colour(l, kLinkBlue);
        l->setCursor(Qt::PointingHandCursor);
        l->installEventFilter(this);
    }

    la_sound_select = label(this, QStringLiteral("Select sound driver:"), 98, 308, 118, 21);
    la_sound_select->setFont(arial(false));
    cb_sound = new QComboBox(this);
    cb_sound->setGeometry(217, 308, 144, 21);
    for (std::string_view entry : kSoundOutputEntries)
        cb_sound->addItem(QString::fromLatin1(entry.data(), qsizetype(entry.size())));
    cb_sound->setToolTip(
        QString::fromLatin1(kSoundOutputHint.data(), qsizetype(kSoundOutputHint.size())));
    // As wide as its longest entry needs, within the grey panel of the background picture
    // (its right edge at 373): a smaller font where the desktop's is too wide for that.
    constexpr int kPanelRoom = 373 - 4 - 217;
    QFont list_font = cb_sound->font();
    list_font.setPixelSize(QFontInfo(list_font).pixelSize());
    while (combo_width_for_entries(cb_sound, 144) > kPanelRoom && list_font.pixelSize() > 9) {
        list_font.setPixelSize(list_font.pixelSize() - 1);
        cb_sound->setFont(list_font);
    }
    cb_sound->resize(std::min(combo_width_for_entries(cb_sound, 144), kPanelRoom), 21);
    cb_sound->setCurrentIndex(-1);
    connect(cb_sound, &QComboBox::currentIndexChanged, this, [this] { cb_soundChange(); });

    btn_play =
        picture_button(this, QStringLiteral("splash_play.png"), QStringLiteral("Play"), 116, 340);
    btn_play->setCursor(Qt::PointingHandCursor);
    btn_play->installEventFilter(this);
    btn_play_disabled = picture_button(this, QStringLiteral("splash_play_disabled.png"),
                                       QStringLiteral("Play"), 116, 340);
    btn_play_disabled->setCursor(Qt::WhatsThisCursor);
    btn_play_disabled->setToolTip(QStringLiteral("please select sound driver first"));
    btn_play_disabled->setEnabled(false);
    btn_play_disabled->hide();
    btn_paypal = picture_button(this, QStringLiteral("splash_readme.png"),
                                QStringLiteral("Read me"), 237, 340);
    btn_paypal->setCursor(Qt::PointingHandCursor);
    btn_paypal->installEventFilter(this);

    chb_splashscreen = new QCheckBox(QStringLiteral("Display this splash screen at startup"), this);
    chb_splashscreen->setGeometry(12, 391, 444, 17);
    chb_splashscreen->setChecked(true);
    // A style sheet, since not every widget style paints a check box's own background.
    chb_splashscreen->setStyleSheet(
        QStringLiteral("QCheckBox { background-color: %1; color: white; }").arg(kDarkBlue.name()));

    // The window sees every key before its controls.
    for (QWidget* w : findChildren<QWidget*>()) w->installEventFilter(this);
}

QUrl TSplashForm::readme_url() {
    return QUrl::fromLocalFile(QDir::current().absoluteFilePath(QStringLiteral("Readme.txt")));
}

QUrl TSplashForm::whatsnew_url() {
    return QUrl::fromLocalFile(QDir::current().absoluteFilePath(QStringLiteral("Whatsnew.txt")));
}

QUrl TSplashForm::email_url() {
    return q50::email_url();
}

void TSplashForm::FormCreate() {
    la_game_title->setText(QString::fromLatin1(kProductTitle));
    la_version->setText(QString::fromLatin1(kVersionLine));
    la_release_date->setText(QString::fromLatin1(kReleaseLine));

    // A stored choice outside the list selects nothing, as if none had been made.
    const std::int32_t mode = store_.read_int(setting::SoundMode, -1);
    {
        const QSignalBlocker block(cb_sound);
        cb_sound->setCurrentIndex(mode >= 0 && mode < cb_sound->count() ? mode : -1);
    }
    chb_splashscreen->setChecked(store_.read_bool(setting::SplashScreen, true));

    if (cb_sound->currentIndex() >= 0 && !chb_splashscreen->isChecked()) {
        skipped_ = true;
        move(-width(), -height());
        host_.clear_splash_pending();
        btn_playClick();
        return;
    }
    centre_on_screen();
    update_play_button();
}

bool TSplashForm::play_enabled() const {
    return cb_sound->currentIndex() >= 0;
}

void TSplashForm::cb_soundChange() {
    update_play_button();
}

void TSplashForm::update_play_button() {
    const bool on = play_enabled();
    btn_play->setVisible(on);
    btn_play_disabled->setVisible(!on);
}

bool splash_play(SettingsStore& store, SplashHost& host, int sound_mode, bool box_ticked) {
    if (!host.Snd_Init(sound_mode)) return false;
    store.write_bool(setting::SplashScreen, box_ticked);
    host.set_splash_menu_check(box_ticked);
    host.centre_main_window();
    host.start_device();
    return true;
}

std::optional<int> TSplashForm::skip_choice(SettingsStore& store) {
    // The same reads and the same rule as creation: an entry selected and the box not ticked.
    const std::int32_t mode = store.read_int(setting::SoundMode, -1);
    const bool ticked = store.read_bool(setting::SplashScreen, true);
    if (mode < 0 || mode >= int(kSoundOutputEntries.size()) || ticked) return std::nullopt;
    return mode;
}

void TSplashForm::btn_playClick() {
    if (!splash_play(store_, host_, cb_sound->currentIndex(), chb_splashscreen->isChecked()))
        return;
    hide();
}

void TSplashForm::btn_paypalClick() {
    open_url(readme_url());
}
void TSplashForm::la_website_2Click() {
    open_url(website_url());
}
void TSplashForm::la_email_2Click() {
    open_url(email_url());
}

void TSplashForm::centre_on_screen() {
    const QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
    if (!s) return;
    const QRect g = s->geometry();
    move(g.x() + (g.width() - width()) / 2, g.y() + (g.height() - height()) / 2);
}

bool TSplashForm::FormKeyDown(QKeyEvent* e) {
    const std::uint16_t code = virtual_key_code(*e);
    if (code == 27) {
        host_.quit();
        return true;
    }
    if (code == 13 || code == '1') {
        if (play_enabled()) btn_playClick();
        return true;
    }
    return false;
}

bool TSplashForm::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() == QEvent::KeyPress) return FormKeyDown(static_cast<QKeyEvent*>(e));
    if (e->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(e)->button() == Qt::LeftButton) {
        auto* w = qobject_cast<QWidget*>(watched);
        const bool inside =
            w && w->rect().contains(static_cast<QMouseEvent*>(e)->position().toPoint());
        if (inside && watched == btn_play && play_enabled())
            btn_playClick();
        else if (inside && watched == btn_paypal)
            btn_paypalClick();
        else if (inside && watched == la_website_2)
            la_website_2Click();
        else if (inside && watched == la_email_2)
            la_email_2Click();
        if (inside && (watched == btn_play || watched == btn_paypal || watched == la_website_2 ||
                       watched == la_email_2))
            return true;
    }
    return QWidget::eventFilter(watched, e);
}

bool TSplashForm::event(QEvent* e) {
    if (e->type() == QEvent::KeyPress) {
        if (FormKeyDown(static_cast<QKeyEvent*>(e))) return true;
    }
    // Activation puts the focus into the sound list.
    if (e->type() == QEvent::WindowActivate) cb_sound->setFocus(Qt::ActiveWindowFocusReason);
    return QWidget::event(e);
}

void TSplashForm::set_scale(int factor) {
    if (!scale_side_window(*this, factor)) return;
    background_ = window_picture(QStringLiteral("splash_background.png"),
                                 factor > 1 ? double(factor) : devicePixelRatioF());
    update();
}

void TSplashForm::paintEvent(QPaintEvent* e) {
    QWidget::paintEvent(e);
    QPainter p(this);
    // Without the built-in picture, a plain band keeps the white title readable.
    if (background_.isNull())
        p.fillRect(0, 0, kWidth, 50, kDarkBlue);
    else
        p.drawPixmap(rect(), background_);
}

} // namespace q50
