#pragma once

// Switches of the web engine that close every way a page has to the network outside the view's
// request filter. The engine reads them once, when the first profile is made; call this before.
void setEngineSwitches();
