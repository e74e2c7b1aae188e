<?xml version="1.0" encoding="UTF-8"?>
<tileset version="1.8" tiledversion="1.8.2" name="area tiles" tilewidth="35" tileheight="35" tilecount="9" columns="9">
 <image source="plain.png" width="315" height="35"/>
</tileset>
