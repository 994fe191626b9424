SELECT o.OrderID, c.CompanyName, SUM(d.Quantity * d.UnitPrice) AS Total FROM Orders o INNER JOIN Customers c ON o.CustomerID = c.CustomerID LEFT OUTER JOIN "Order Details" d ON d.OrderID = o.OrderID WHERE o.OrderDate >= '1997-01-01' AND c.Country IN ('Germany', 'France') GROUP BY o.OrderID, c.CompanyName HAVING SUM(d.Quantity) > 10 ORDER BY Total DESC
select name from staff where dept_id in (select id from departments where budget > 1000) union all select name from contractors
SELECT CASE WHEN price < 10 THEN 'cheap' ELSE 'dear' END AS band, CAST(price AS DECIMAL(10, 2)) FROM products WHERE name LIKE 'A%' ESCAPE '!'
SELECT a FROM t WHERE
