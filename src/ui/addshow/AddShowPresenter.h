#pragma once

#include "AddShowModel.h"
#include "api/Watchlist.h"

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QRect>

#include <functional>
#include <optional>

class AddShowFormView;
class AddShowResultsView;
class ImageLoader;
class QLabel;
class QVariantAnimation;
class QWidget;
class RoundedPanel;
class Theme;

// Opens the add-series (or add-movie) flow: the form panel centred over the anchor, the results panel below
// (or beside) it while there is something to list, and the confirmed series' poster to its
// left. The two side panels travel with the form when it is dragged; Escape, the close symbol
// or a commit closes all three. Each opening starts a fresh flow.
class AddShowPresenter final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AddShowPresenter)

public:
    AddShowPresenter(const Watchlist& watchlist, Theme& theme, ImageLoader& images,
                     QObject* parent = nullptr, AddShowModel::Kind kind = AddShowModel::Kind::series);
    ~AddShowPresenter() override;

    // Where the tray icon is on screen (nothing without one): the side panels keep off it.
    using KeepClear = std::function<std::optional<QRect>()>;
    void setKeepClear(KeepClear keepClear);

    // `anchor`: the main window, or null to centre on the screen.
    void open(QWidget* anchor);
    void close();
    bool isOpen() const;

    // The open flow's parts (null while closed), for the shell's tests and the screenshots.
    AddShowModel* model() const;
    RoundedPanel* formPanel() const;
    RoundedPanel* resultsPanel() const;
    RoundedPanel* posterPanel() const;

Q_SIGNALS:
    void closed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void fitForm();
    void placeForm(QWidget* anchor);
    void placeSidePanels();
    void refreshResults();
    void refreshPoster();
    void addEscape(RoundedPanel* panel);
    // A drag of a side panel's background moves the whole group; true when it took the event.
    bool dragsGroup(QEvent* event);
    // Escape: the side panels go first, then the whole flow.
    void escape();
    void showKeepingFocus(RoundedPanel* panel);
    // One tab order across the form, the results and the poster, in that order.
    bool tab(bool next);
    QRect visibleArea() const;
    QRectF keepClearRect() const;

    Watchlist m_watchlist;
    AddShowModel::Kind m_kind;
    Theme& m_theme;
    ImageLoader& m_images;
    QPointer<AddShowModel> m_model;
    QPointer<RoundedPanel> m_form;
    QPointer<RoundedPanel> m_results;
    QPointer<RoundedPanel> m_poster;
    std::optional<QPoint> m_groupDragFrom; // where a side panel's drag took hold of the form
    QPointer<AddShowFormView> m_formView;
    QPointer<QVariantAnimation> m_formResize; // the form growing or shrinking between states
    QPointer<QLabel> m_posterImage;
    std::optional<int> m_posterShown; // the TMDB id whose poster is up
    bool m_closing = false;
    bool m_sidesDismissed = false;         // Escape put the side panels away until a new search
    QPointer<QWidget> m_returnFocus;       // where the keyboard was when the flow opened
    KeepClear m_keepClear;
};
