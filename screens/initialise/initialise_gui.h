#pragma once
#include "screens/initialise/initialise_screen.h"
#include "screens/initialise/star_data_dialogs.h"
#include "screens/transitions.h"
#include "toolkit/e_label.h"
#include "toolkit/e_menu.h"
#include "toolkit/e_text_field.h"
#include "toolkit/forwarding.h"

// The parameter window and its widgets; labels, fields and the File menu handle nothing.
namespace Quillon::Selvane::Initialise::GUI {

class XGUI : public ForwardWindow<&gatedEvent<screenGate, &closeProgram>, &gatedPaint<screenGate, &paintPreview>,
                                  &gatedKey<screenGate, &takeKey>> {};
class _File : public EMenu {};
class _File_Open : public ForwardSelect<&gatedEvent<screenGate, &openStarData>> {};
class _File_SaveAs : public ForwardSelect<&gatedEvent<screenGate, &saveStarDataAs>> {};
class player : public ForwardClick<&gatedEvent<screenGate, &openPlayerScreen>> {};
class symulator : public ForwardClick<&gatedEvent<screenGate, &openSymulatorScreen>> {};
class compose : public ForwardClick<&gatedEvent<screenGate, &composeGalaxy>> {};
class recording_speed : public ETextField {};
class LABEL13 : public ELabel {};
class light_speed : public ETextField {};
class LABEL10 : public ELabel {};
class speed_distribution : public ETextField {};
class LABEL8 : public ELabel {};
class scale : public ETextField {};
class LABEL6 : public ELabel {};
class nomber_of_star : public ETextField {};
class LABEL4 : public ELabel {};
class size_of_star : public ETextField {};
class LABEL2 : public ELabel {};
class max_speed : public ETextField {};
class LABEL0 : public ELabel {};

}  // namespace Quillon::Selvane::Initialise::GUI
