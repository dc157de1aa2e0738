"""A small scene: the package's vector types at work.

Run with scripts/example (which builds the package first), or with the build's staging
tree on the path: PYTHONPATH=build/py314/stage python3.14 examples/scene.py
"""

import copy
import pickle

from tessel.vector2.vector2 import Vector2
from tessel.vector4.vector4 import Vector4


def show_vectors():
    player = Vector2(12, 7.5)
    print("player at", player, "x =", player.x, "y =", player.y)

    player.x += 3  # ints and floats are both accepted
    player.y = 2
    print("moved to", player)

    # Vector2 stores single-precision floats: values read back rounded to float32.
    step = Vector2(0.1, 1e39)
    print("Vector2(0.1, 1e39) reads back as", step)

    # Vector4 stores doubles: nothing is rounded.
    bounds = Vector4(0.1, 0.2, 640, 480)
    print("bounds", bounds)

    saved = pickle.dumps(player)
    restored = pickle.loads(saved)
    print("pickled and restored:", restored, "equal:", restored == player)
    print("deep copy equal:", copy.deepcopy(bounds) == bounds)


def main():
    show_vectors()


if __name__ == "__main__":
    main()
