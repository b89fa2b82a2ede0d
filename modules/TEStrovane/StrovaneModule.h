#pragma once

// Makes "TStrovane" creatable through the framework's effect factory.
void registerStrovaneClasses();
