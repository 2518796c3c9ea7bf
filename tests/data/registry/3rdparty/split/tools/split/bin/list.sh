#!/bin/sh
echo
