// The control panel's content: one bar of buttons and values bound to the
// parameter record, and the button callbacks.
#pragma once

#include "app/explorebar.h"
#include "app/exportbar.h"
#include "params/Tparams.h"

struct TwBar;

// Starts the panel library and fills the bar "Supershape" for `params`,
// the bar "Profile", folded in the bottom-right corner unless the shape has
// a second set of its own, and the bars "Explore" and "Export", folded
// beside it. When the library cannot start the program ends with error 1.
TwBar* start_panel(Tparams& params, Exploring& exploring, Exporting& exporting);

// Fills `bar` with the 30 entries, bound to the fields of `params`; Save
// saves through `saving`.
void init_shapebar(TwBar* bar, Tparams& params, Saving& saving);

// Fills `bar` with the switch that links the sets and the second set's six
// numbers, with the first set's ranges and steps.
void init_profilebar(TwBar* bar, Tparams& params);

// Button callbacks: each takes the parameter record as its client data and
// leaves a request for the frame loop.
void resetcb(void* client_data);
void quitcb(void* client_data);
void switch_xycb(void* client_data);
void switch_xzcb(void* client_data);
void switch_yzcb(void* client_data);
