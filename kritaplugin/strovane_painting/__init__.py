# Strovane Painting for Krita: Tools > Scripts > Strovane Painting... and
# Repeat Strovane Painting. The work is in painting.py.
from krita import Extension, Krita

from . import painting


class StrovanePaintingExtension(Extension):
    def setup(self):
        pass

    def createActions(self, window):
        paint = window.createAction("strovane_painting", "Strovane Painting…", "tools/scripts")
        paint.triggered.connect(lambda: painting.run_on_active(interactive=True))
        repeat = window.createAction("strovane_painting_repeat", "Repeat Strovane Painting", "tools/scripts")
        repeat.triggered.connect(lambda: painting.run_on_active(interactive=False))


Krita.instance().addExtension(StrovanePaintingExtension(Krita.instance()))
