"""The rectangle type: `from tessel.rect import Rect`. The class of `tessel.rect.rect`,
re-exported (and imported on first use): see there."""

from tessel.rect.rect import Rect as Rect

__all__ = ["Rect"]
