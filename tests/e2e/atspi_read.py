#!/usr/bin/python3
# What a screen reader on Linux reads of the program's windows through AT-SPI: a line per control
# of every window of the application named on the command line, as the MSAA probe prints them:
#   window|name|role|label|group|description
# The label is the label it is labelled by, the group the frame it sits in. With "focus" first:
# name|role of the control that has the keyboard focus.
import sys

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi  # noqa: E402

ROLES = {"label": "label", "text": "text", "push button": "button", "radio button": "option",
         "panel": "group", "link": "link"}


def targets(node, kind):
    for relation in node.get_relation_set():
        if relation.get_relation_type() == Atspi.RelationType.LABELLED_BY:
            for i in range(relation.get_n_targets()):
                target = relation.get_target(i)
                if target.get_role_name() == kind:
                    yield target.get_name()


def walk(node, window):
    role = ROLES.get(node.get_role_name())
    if role and focus:
        if node.get_state_set().contains(Atspi.StateType.FOCUSED):
            print(node.get_name() + "|" + role)
    elif role:
        label = next(targets(node, "label"), "") if role != "label" else ""
        group = next(targets(node, "panel"), "") if role != "group" else ""
        print("|".join([window, node.get_name(), role, label, group, node.get_description()]))
    for i in range(node.get_child_count()):
        child = node.get_child_at_index(i)
        if child.get_role_name() not in ("menu bar", "scroll bar"):
            walk(child, window)


focus = sys.argv[1] == "focus"
desktop = Atspi.get_desktop(0)
for a in range(desktop.get_child_count()):
    app = desktop.get_child_at_index(a)
    if app and app.get_name() == sys.argv[-1]:
        for w in range(app.get_child_count()):
            window = app.get_child_at_index(w)
            walk(window, window.get_name())
