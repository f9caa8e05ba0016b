#!/usr/bin/python3
# What a screen reader on Linux reads of the program's windows through AT-SPI, a line per
# control of every window of the application named last, as the MSAA probe prints them:
#   window|name|role|label|group|description
# the label being the label it is labelled by, the group the frame it sits in. With "focus"
# first: name|role of the control that has the keyboard focus.
import sys

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi  # noqa: E402

ROLES = {"label": "label", "text": "text", "push button": "button", "radio button": "option",
         "panel": "group", "link": "link"}
focus = sys.argv[1] == "focus"


def labelled_by(node, role):
    for relation in node.get_relation_set():
        if relation.get_relation_type() == Atspi.RelationType.LABELLED_BY:
            for i in range(relation.get_n_targets()):
                if ROLES.get(relation.get_target(i).get_role_name()) == role:
                    return relation.get_target(i).get_name()
    return ""


def walk(node, window):
    role = ROLES.get(node.get_role_name())
    if role and focus and node.get_state_set().contains(Atspi.StateType.FOCUSED):
        print(node.get_name() + "|" + role)
    elif role and not focus:
        label = labelled_by(node, "label") if role != "label" else ""
        group = labelled_by(node, "group") if role != "group" else ""
        print("|".join([window, node.get_name(), role, label, group, node.get_description()]))
    for i in range(node.get_child_count()):
        walk(node.get_child_at_index(i), window)


desktop = Atspi.get_desktop(0)
for app in (desktop.get_child_at_index(i) for i in range(desktop.get_child_count())):
    if app and app.get_name() == sys.argv[-1]:
        for window in (app.get_child_at_index(i) for i in range(app.get_child_count())):
            walk(window, window.get_name())
