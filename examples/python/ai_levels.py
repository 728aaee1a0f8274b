"""The README's worked experiment (../ai-levels.experiment.json: a lone kart at AI levels 4, 6
and 8, five runs each), run from Python and plotted with pandas to a PNG.

    python3 ai_levels.py [PICTURE.png]
"""
import os
import sys

import matplotlib

matplotlib.use("Agg")  # no screen needed
import matplotlib.pyplot as plt

import kartsim

picture = sys.argv[1] if len(sys.argv) > 1 else "ai-levels.png"
experiment = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..",
                          "ai-levels.experiment.json")

runs, summary = kartsim.run_experiment(experiment)

# Every run as a dot, and the mean of each level with its 95 % interval.
distance = summary[summary.measure == "distance_mean"].set_index("ai_level")
ax = runs.plot.scatter(x="ai_level", y="distance_mean", color="lightgrey", label="one run")
ax.errorbar(distance.index, distance["mean"],
            yerr=[distance["mean"] - distance.ci95_low, distance.ci95_high - distance["mean"]],
            fmt="o-", capsize=4, label="mean, 95 % interval")
ax.set_xticks(distance.index)
ax.set_xlabel("AI level")
ax.set_ylabel("distance travelled, pixels")
ax.set_title("A lone kart, 100 steps, 300 futures per step")
ax.legend()
plt.tight_layout()
plt.savefig(picture, dpi=100)
print(summary[summary.measure == "distance_mean"].to_string(index=False))
