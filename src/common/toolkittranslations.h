#pragma once

class QCoreApplication;

namespace tirvela {

// Loads the toolkit's own Russian texts (standard buttons, file dialogs, the command-line option
// parser's complaints) into the application, whatever the system's language: the whole interface
// is Russian. False when they are not installed; the toolkit then speaks English and nothing else
// changes.
bool installToolkitTranslations(QCoreApplication &application);

} // namespace tirvela
