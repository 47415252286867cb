#include "QuorveloResources.h"

#include <QtCore/qglobal.h>

void InitQuorveloResources()
{
    // The macro must be used outside any namespace.
    Q_INIT_RESOURCE(quorvelo);
    Q_INIT_RESOURCE(quorvelo_translations);
}
