"""The drops scene for 300 steps, its storage goal made stronger at step 100: the energy the
team has stored in the box, step by step, plotted to a PNG.

    python3 drops_storage.py [PICTURE.png]
"""
import sys

import matplotlib

matplotlib.use("Agg")  # no screen needed
import matplotlib.pyplot as plt

import kartsim

picture = sys.argv[1] if len(sys.argv) > 1 else "drops-storage.png"

world = kartsim.World.scenario("drops", seed=1)
goals = world.goals(team=0)
storage = int(goals.index[goals.kind == "storage"][0])

stored = []
for step in range(1, 301):
    if step == 101:
        world.set_goal(storage, 5, team=0)  # from 1, once step 100 is done
    world.step(futures=200)
    stored.append(world.goals(team=0).stored[storage])

plt.figure(figsize=(7, 4))
plt.plot(range(1, 301), stored)
plt.axvline(100, color="grey", linestyle=":", label="storage goal 1 → 5")
plt.xlabel("step")
plt.ylabel("energy stored in the box")
plt.title("The drops scene, seed 1, 200 futures per step")
plt.legend()
plt.tight_layout()
plt.savefig(picture, dpi=100)
print(f"{picture}: {stored[-1]:.1f} energy stored after 300 steps")
