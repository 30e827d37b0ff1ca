#include "ShowRowControls.h"

#include "RowControlLayer.h"
#include "ShowListModel.h"

#include <QMap>

#include <utility>

namespace {

using Part = ShowRowPart;

int keyOf(Part part) {
    return static_cast<int>(part);
}

} // namespace

ShowRowControls::ShowRowControls(QWidget* host, std::function<void(ShowRowPart)> pressed)
    : QObject(host)
    , m_layer(new RowControlLayer(host)) {
    m_layer->setObjectName(QStringLiteral("showRowControls"));
    const std::pair<Part, QLatin1StringView> parts[] = {
        {Part::subscribeSwitch, QLatin1StringView("switch")},
        {Part::qualityPill, QLatin1StringView("quality")},
        {Part::pickPill, QLatin1StringView("pick")},
        {Part::trash, QLatin1StringView("trash")},
        {Part::viewEpisodes, QLatin1StringView("viewEpisodes")},
    };
    for (const auto& [part, name] : parts) {
        m_layer->add(keyOf(part), QStringLiteral("showRow.") + name, part == Part::subscribeSwitch,
                     [pressed, part = part] { pressed(part); });
    }
}

void ShowRowControls::place(const QRect& area, const QModelIndex& index,
                            const std::function<QRect(ShowRowPart)>& rectOf) {
    const auto shown = [&](Part part, QString description = {},
                           std::optional<bool> checked = std::nullopt) {
        return RowControlLayer::Control{rectOf(part), ShowRowParts::spokenName(index, part),
                                        std::move(description), checked};
    };
    // Where the name says more than the control shows, the description tells what it shows.
    const QMap<int, RowControlLayer::Control> controls{
        {keyOf(Part::subscribeSwitch),
         shown(Part::subscribeSwitch, index.data(ShowListModel::SubscribeLabelRole).toString(),
               index.data(ShowListModel::SubscribedRole).toBool())},
        {keyOf(Part::qualityPill),
         shown(Part::qualityPill, index.data(ShowListModel::QualityLabelRole).toString())},
        {keyOf(Part::pickPill),
         shown(Part::pickPill, index.data(ShowListModel::PickLabelRole).toString())},
        {keyOf(Part::trash), shown(Part::trash)},
        {keyOf(Part::viewEpisodes), shown(Part::viewEpisodes)},
    };
    m_layer->place(area, index.data(ShowListModel::NameRole).toString(), controls);
}

void ShowRowControls::hide() {
    m_layer->hide();
}

QAbstractButton* ShowRowControls::control(ShowRowPart part) const {
    return m_layer->control(keyOf(part));
}
