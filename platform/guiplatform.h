#pragma once

// Picks how the toolkit draws on this system, before the application object exists. Under
// Wine, Qt's GDI font engine leaves the text of line edits and spin boxes blank (labels and
// buttons draw), so the FreeType engine draws the same fonts there. A platform the user names
// (QT_QPA_PLATFORM, -platform) is kept.
void ChooseGuiPlatform();
