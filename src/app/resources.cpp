#include "app/resources.h"

#include <QtGlobal>

static void registerVorlaResources()
{
    Q_INIT_RESOURCE(vorla);
}

namespace vorla {

void initResources()
{
    static const bool registered = (registerVorlaResources(), true);
    Q_UNUSED(registered);
}

QUrl tinkSoundURL()
{
    initResources();
    return QUrl(QStringLiteral("qrc:/sounds/tink.wav"));
}

} // namespace vorla
